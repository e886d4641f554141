// THashManager: a component that holds one selected hash class, hashes byte strings with it
// and keeps the last digest. The cipher manager reads its HashClass to key ciphers.
#pragma once

#include "base/Bytes.h"
#include "base/Component.h"
#include "hash/Hash.h"

#include <cstdint>
#include <functional>
#include <string>

namespace velkor {

using TProgressEvent =
    std::function<void(TComponent* sender, std::int64_t current, std::int64_t maximal)>;

class THashManager : public TComponent {
public:
    explicit THashManager(TComponent* owner = nullptr);
    ~THashManager() override;
    std::string ClassName() const override { return "THashManager"; }

    // Selects DefaultHashClass first when nothing is selected yet.
    THashClass HashClass();
    // Selecting another class (null counting as the default) empties DigestBytes.
    void SetHashClass(THashClass hashClass);

    std::string Algorithm();
    // A name that finds nothing selects the default class, without an error.
    void SetAlgorithm(std::string_view name);
    std::string Description();
    std::size_t DigestSize();

    void HashText(BytesView data);
    std::string DigestText(std::int32_t formatId) const;
    const Bytes& DigestBytes() const { return FDigest; }

    TProgressEvent OnProgress;

    // The stored property "Hash": the selected class's class name.
    void WriteProperties(TPropertyWriter& writer) const override;
    bool ReadProperty(std::string_view name, const TPropertyValue& value) override;

private:
    THashClass FHashClass = nullptr;
    Bytes FDigest;
};

} // namespace velkor
