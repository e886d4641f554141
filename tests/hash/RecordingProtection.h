// A protection for tests that writes down every run call it gets, can invert the bytes of
// the chunks it processes, and can fail on a chosen chunk.
#pragma once

#include "hash/Protection.h"

#include <string>
#include <vector>

namespace velkor::test {

class TRecordingProtection : public TProtection {
public:
    using TProtection::TProtection;

    std::vector<std::string> Calls;  // "start 3", "chunk 4096", "finish 3"
    std::vector<std::size_t> Chunks; // chunk lengths in order
    std::vector<std::string> Seen;   // chunk bytes as they reached this protection
    bool Invert = false;             // XOR every chunk byte with FF
    int FailAtChunk = -1;            // throw EProtection("chunk failed") at this chunk

    void StartRun(TProcessAction action) override {
        Calls.push_back("start " + std::to_string(static_cast<int>(action)));
        TProtection::StartRun(action);
    }
    void FinishRun(TProcessAction action) override {
        Calls.push_back("finish " + std::to_string(static_cast<int>(action)));
        TProtection::FinishRun(action);
    }
    void ProcessChunk(void* buffer, std::size_t length, TProcessAction action) override {
        Calls.push_back("chunk " + std::to_string(length));
        if (static_cast<int>(Chunks.size()) == FailAtChunk) throw EProtection("chunk failed");
        Chunks.push_back(length);
        if (buffer != nullptr) Seen.emplace_back(static_cast<const char*>(buffer), length);
        if (Invert && buffer != nullptr)
            for (std::size_t i = 0; i < length; ++i) static_cast<unsigned char*>(buffer)[i] ^= 0xFF;
        TProtection::ProcessChunk(buffer, length, action);
    }
};

} // namespace velkor::test
