// Component ownership, destruction notices and the text form of component descriptions.
#include "base/Component.h"

#include "base/Exception.h"
#include "base/Text.h"

#include <algorithm>
#include <cctype>

namespace velkor {

void TPropertyWriter::WriteInteger(std::string name, long long value) {
    FItems.emplace_back(std::move(name),
                        TPropertyValue{TPropertyKind::Integer, std::to_string(value)});
}
void TPropertyWriter::WriteString(std::string name, std::string value) {
    FItems.emplace_back(std::move(name), TPropertyValue{TPropertyKind::String, std::move(value)});
}
void TPropertyWriter::WriteIdent(std::string name, std::string identifier) {
    FItems.emplace_back(std::move(name),
                        TPropertyValue{TPropertyKind::Identifier, std::move(identifier)});
}

TComponent::TComponent(TComponent* owner) : FOwner(owner) {
    if (FOwner) FOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    FDestroying = true;
    // Tell every linked component first, while this object is still whole.
    std::vector<TComponent*> notifies;
    notifies.swap(FFreeNotifies);
    for (TComponent* c : notifies) {
        c->Notification(this, TOperation::opRemove);
        auto& back = c->FFreeNotifies;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
    }
    DestroyComponents();
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* child = FComponents.back();
        FComponents.pop_back();
        child->FOwner = nullptr;
        delete child;
    }
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    for (TComponent* c : FComponents) {
        if (SameText(c->FName, name)) return c;
    }
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
    FComponents.push_back(component);
}

void TComponent::RemoveComponent(TComponent* component) {
    FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), component),
                      FComponents.end());
    Notification(component, TOperation::opRemove);
}

void TComponent::FreeNotification(TComponent* component) {
    if (component == nullptr || component == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(component);
        component->FFreeNotifies.push_back(this); // so that either side may go first
    }
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), component),
                        FFreeNotifies.end());
    if (component) {
        auto& back = component->FFreeNotifies;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
    }
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::WriteProperties(TPropertyWriter&) const {}

bool TComponent::ReadProperty(std::string_view, const TPropertyValue&) {
    return false;
}

namespace {

std::string QuoteString(const std::string& s) {
    // Printable runs go in quotes (a quote doubled); other bytes are written as #nnn.
    std::string out;
    bool inQuote = false;
    for (char ch : s) {
        auto b = static_cast<unsigned char>(ch);
        if (b >= 0x20 && b < 0x7F) {
            if (!inQuote) out += '\'';
            inQuote = true;
            out += ch;
            if (ch == '\'') out += '\'';
        } else {
            if (inQuote) out += '\'';
            inQuote = false;
            out += '#' + std::to_string(b);
        }
    }
    if (inQuote) out += '\'';
    if (out.empty()) out = "''";
    return out;
}

void WriteObject(const TComponent& c, int depth, std::string& out) {
    std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    out += indent + "object " + c.Name() + ": " + c.ClassName() + "\n";
    TPropertyWriter writer;
    c.WriteProperties(writer);
    for (const auto& [name, value] : writer.Items()) {
        out += indent + "  " + name + " = ";
        out += value.Kind == TPropertyKind::String ? QuoteString(value.Text) : value.Text;
        out += "\n";
    }
    for (int i = 0; i < c.ComponentCount(); ++i) WriteObject(*c.Components(i), depth + 1, out);
    out += indent + "end\n";
}

} // namespace

class TDescriptionReader {
public:
    explicit TDescriptionReader(std::string_view text) : FText(text) {}

    void ReadRoot(TComponent& root, std::vector<TComponent*>& loaded) {
        ReadObject(root, root, true, loaded);
        SkipBlanks();
        if (FPos != FText.size()) Fail("text after the last end");
    }

private:
    [[noreturn]] void Fail(const std::string& what) {
        throw EReadError("Error reading component description: " + what);
    }

    void SkipBlanks() {
        while (FPos < FText.size() && std::isspace(static_cast<unsigned char>(FText[FPos]))) ++FPos;
    }

    std::string Word() {
        SkipBlanks();
        std::size_t start = FPos;
        while (FPos < FText.size() && (std::isalnum(static_cast<unsigned char>(FText[FPos])) ||
                                       FText[FPos] == '_' || FText[FPos] == '.'))
            ++FPos;
        if (start == FPos) Fail("a name was expected");
        return std::string(FText.substr(start, FPos - start));
    }

    void Expect(char c) {
        SkipBlanks();
        if (FPos >= FText.size() || FText[FPos] != c) Fail(std::string("'") + c + "' was expected");
        ++FPos;
    }

    TPropertyValue Value() {
        SkipBlanks();
        if (FPos >= FText.size()) Fail("a value was expected");
        char c = FText[FPos];
        if (c == '\'' || c == '#') {
            std::string s;
            while (FPos < FText.size() && (FText[FPos] == '\'' || FText[FPos] == '#')) {
                if (FText[FPos] == '#') {
                    ++FPos;
                    int v = 0;
                    std::size_t start = FPos;
                    while (FPos < FText.size() &&
                           std::isdigit(static_cast<unsigned char>(FText[FPos])))
                        v = v * 10 + (FText[FPos++] - '0');
                    if (start == FPos || v > 255) Fail("bad character code");
                    s += static_cast<char>(v);
                } else {
                    ++FPos;
                    for (;;) {
                        if (FPos >= FText.size() || FText[FPos] == '\n')
                            Fail("unterminated string");
                        if (FText[FPos] == '\'') {
                            if (FPos + 1 < FText.size() && FText[FPos + 1] == '\'') {
                                s += '\'';
                                FPos += 2;
                                continue;
                            }
                            ++FPos;
                            break;
                        }
                        s += FText[FPos++];
                    }
                }
            }
            return {TPropertyKind::String, s};
        }
        if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
            std::size_t start = FPos++;
            while (FPos < FText.size() && std::isdigit(static_cast<unsigned char>(FText[FPos])))
                ++FPos;
            return {TPropertyKind::Integer, std::string(FText.substr(start, FPos - start))};
        }
        return {TPropertyKind::Identifier, Word()};
    }

    void ReadObject(TComponent& root, TComponent& target, bool isRoot,
                    std::vector<TComponent*>& loaded) {
        if (Word() != "object") Fail("'object' was expected");
        std::string name = Word();
        Expect(':');
        std::string className = Word();
        TComponent* c = &target;
        if (!isRoot) {
            c = root.FindComponent(name);
            if (c == nullptr) Fail("component " + name + " not found");
        }
        if (c->ClassName() != className) Fail("class " + className + " does not match " + name);
        c->FLoading = true;
        loaded.push_back(c);
        for (;;) {
            SkipBlanks();
            std::size_t mark = FPos;
            std::string word = Word();
            if (word == "end") return;
            if (word == "object") {
                FPos = mark;
                ReadObject(root, root, false, loaded);
                continue;
            }
            Expect('=');
            TPropertyValue value = Value();
            if (!c->ReadProperty(word, value)) Fail("property " + word + " does not exist");
        }
    }

    std::string_view FText;
    std::size_t FPos = 0;
};

std::string WriteComponentText(const TComponent& root) {
    std::string out;
    WriteObject(root, 0, out);
    return out;
}

void ReadComponentText(TComponent& root, std::string_view text) {
    std::vector<TComponent*> loaded;
    try {
        TDescriptionReader(text).ReadRoot(root, loaded);
    } catch (...) {
        for (TComponent* c : loaded) c->FLoading = false;
        throw;
    }
    for (TComponent* c : loaded) c->FLoading = false;
    for (TComponent* c : loaded) c->Loaded();
}

} // namespace velkor
