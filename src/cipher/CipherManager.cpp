// The cipher manager: class selection, the cipher object it owns, keying through a linked hash
// manager, text encipherment and its form-description properties.
#include "cipher/CipherManager.h"

#include "base/Exception.h"
#include "base/Secret.h"
#include "cipher/CipherRegistry.h"
#include "hash/StringFormat.h"

namespace velkor {

TCipherManager::TCipherManager(TComponent* owner) : TComponent(owner) {}

TCipherManager::~TCipherManager() {
    FCipherInstance.reset();
    SetHashManager(nullptr);
}

TCipherClass TCipherManager::CipherClass() {
    if (FCipherClass == nullptr) FCipherClass = DefaultCipherClass();
    return FCipherClass;
}

void TCipherManager::SetCipherClass(TCipherClass cipherClass) {
    if (cipherClass == CipherClass()) return;
    FCipherInstance.reset();
    FCipherClass = cipherClass;
}

TCipher& TCipherManager::Cipher() {
    if (!FCipherInstance) {
        FCipherInstance = CipherClass()->Create(nullptr);
        FCipherInstance->SetMode(FMode);
    }
    return *FCipherInstance;
}

std::string TCipherManager::Algorithm() {
    return CipherClassName(CipherClass());
}

void TCipherManager::SetAlgorithm(std::string_view name) {
    SetCipherClass(FindCipherClass(name));
}

std::string TCipherManager::Description() {
    TCipherClass c = CipherClass();
    std::string text = CipherClassNote(c);
    if (!text.empty()) text += ", ";
    return text + std::to_string(c->KeySize() * 8) + "bit Key";
}

void TCipherManager::SetMode(TCipherMode mode) {
    FMode = mode;
    if (FCipherInstance) FCipherInstance->SetMode(mode);
}

void TCipherManager::SetHashManager(THashManager* hashManager) {
    if (hashManager == FHashManager) return;
    if (FHashManager) FHashManager->RemoveFreeNotification(this);
    FHashManager = hashManager;
    if (FHashManager) FHashManager->FreeNotification(this);
}

void TCipherManager::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FHashManager) FHashManager = nullptr;
}

void TCipherManager::SetKeyText(BytesView keyString, const void* iv) {
    TCipher& cipher = Cipher();
    if (FHashManager) cipher.SetKeyHashClass(FHashManager->HashClass());
    cipher.InitKey(keyString, iv);
}

std::string TCipherManager::EncipherText(BytesView data) {
    // The plain text is copied once more on the way in; that copy is wiped when it goes.
    const SecretBytes plain(data);
    return Cipher().ProcessText(plain.Get(), TProcessAction::Encipher, fmtDefault);
}

Bytes TCipherManager::DecipherText(BytesView text) {
    return Cipher().ProcessText(Bytes(text), TProcessAction::Decipher, fmtDefault);
}

void TCipherManager::WriteProperties(TPropertyWriter& writer) const {
    TComponent::WriteProperties(writer);
    if (FCipherClass) writer.WriteString("Cipher", FCipherClass->ClassName());
    // Written always: leaving out a declared default would read a stored cmCBC back as cmCTS.
    writer.WriteIdent("Mode", CipherModeName(FMode));
    if (FHashManager) writer.WriteIdent("HashManager", FHashManager->Name());
}

bool TCipherManager::ReadProperty(std::string_view name, const TPropertyValue& value) {
    if (name == "Cipher") {
        for (const auto& e : CipherRegistry())
            if (e.Class->ClassName() == value.Text) {
                SetCipherClass(e.Class);
                break;
            }
        return true;
    }
    if (name == "Mode") {
        auto mode = CipherModeFromName(value.Text);
        if (!mode) throw EReadError("Invalid property value: Mode = " + value.Text);
        SetMode(*mode);
        return true;
    }
    if (name == "HashManager") {
        TComponent* c = Owner() ? Owner()->FindComponent(value.Text) : nullptr;
        auto* hm = dynamic_cast<THashManager*>(c);
        if (hm == nullptr) throw EReadError("Invalid property value: HashManager = " + value.Text);
        SetHashManager(hm);
        return true;
    }
    return TComponent::ReadProperty(name, value);
}

} // namespace velkor
