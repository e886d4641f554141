// TCipherManager: a component that selects a cipher class by display name, owns one cipher
// object of it, keys it from a key string through the hash class of a linked hash manager and
// enciphers byte strings into MIME Base 64 text and back.
#pragma once

#include "base/Bytes.h"
#include "base/Component.h"
#include "cipher/Cipher.h"
#include "hash/HashManager.h"

#include <string>
#include <string_view>

namespace velkor {

class TCipherManager : public TComponent {
public:
    explicit TCipherManager(TComponent* owner = nullptr);
    ~TCipherManager() override;
    std::string ClassName() const override { return "TCipherManager"; }

    // The selected class; nothing selected reads as the default class, which is then stored.
    TCipherClass CipherClass();
    // Another class (null included) discards the cipher object and with it the key.
    void SetCipherClass(TCipherClass cipherClass);
    // The cipher object of the selected class, made unkeyed on first use.
    TCipher& Cipher();

    std::string Algorithm();
    // A name that finds nothing selects the default class, without an error.
    void SetAlgorithm(std::string_view name);
    // The class's note, ", " when there is one, and its key size in bits: "192bit Key".
    std::string Description();

    TCipherMode Mode() const { return FMode; }
    // Also the mode of the cipher object, at once, when it exists.
    void SetMode(TCipherMode mode);

    THashManager* HashManager() const { return FHashManager; }
    // Not owned; this manager is told when it is destroyed and then holds none.
    void SetHashManager(THashManager* hashManager);

    TProgressEvent OnProgress; // stored only; nothing here fires it

    // Keys the cipher object from `keyString` through the hash class selected in HashManager
    // (or the cipher's own key-hash class without one). `iv` is one block or null.
    void SetKeyText(BytesView keyString, const void* iv = nullptr);
    // Enciphers in Mode, starting from the IV on every call, and writes MIME Base 64 text.
    std::string EncipherText(BytesView data);
    // Reads MIME Base 64 text (EStringFormat when it is not) and deciphers it.
    Bytes DecipherText(BytesView text);

    // Stored: "Cipher" (the selected class's class name), "Mode" and "HashManager".
    void WriteProperties(TPropertyWriter& writer) const override;
    bool ReadProperty(std::string_view name, const TPropertyValue& value) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    THashManager* FHashManager = nullptr;
    TCipherClass FCipherClass = nullptr;
    TCipherRef FCipherInstance;
    TCipherMode FMode = TCipherMode::cmCTS;
};

} // namespace velkor
