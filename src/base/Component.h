// A small component base: an owner that destroys what it owns, a name, notices to linked
// components when one is destroyed, and text property streaming for form descriptions
//   object HashManager1: THashManager
//     Hash = 'THash_RipeMD256'
//   end
// so that a window can build its components from a description, as the merchant's does.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velkor {

enum class TOperation { opInsert, opRemove };

enum class TPropertyKind { Integer, String, Identifier };

struct TPropertyValue {
    TPropertyKind Kind = TPropertyKind::String;
    std::string Text; // the value itself: digits, the unquoted byte string, or the identifier
};

class TPropertyWriter {
public:
    void WriteInteger(std::string name, long long value);
    void WriteString(std::string name, std::string value);
    void WriteIdent(std::string name, std::string identifier);
    const std::vector<std::pair<std::string, TPropertyValue>>& Items() const { return FItems; }

private:
    std::vector<std::pair<std::string, TPropertyValue>> FItems;
};

class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    virtual std::string ClassName() const = 0;

    TComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    void SetName(std::string name) { FName = std::move(name); }

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const {
        return FComponents.at(static_cast<std::size_t>(index));
    }
    TComponent* FindComponent(std::string_view name) const;
    // Destroys every owned component now, last created first (the destructor does the same).
    void DestroyComponents();

    // Asks that `component` be told (Notification with opRemove) when this one is destroyed.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    bool Loading() const { return FLoading; }
    bool Designing() const { return FDesigning; }
    bool Destroying() const { return FDestroying; }

    // Streaming: the published properties that are stored, and the reading of one of them.
    // ReadProperty answers false for a name the class does not know.
    virtual void WriteProperties(TPropertyWriter& writer) const;
    virtual bool ReadProperty(std::string_view name, const TPropertyValue& value);
    // Runs once the whole description has been read.
    virtual void Loaded() {}

protected:
    virtual void Notification(TComponent* component, TOperation operation);

private:
    friend void ReadComponentText(TComponent& root, std::string_view text);
    friend class TDescriptionReader;
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    TComponent* FOwner = nullptr;
    std::string FName;
    std::vector<TComponent*> FComponents;   // owned
    std::vector<TComponent*> FFreeNotifies; // told when this one goes
    bool FLoading = false;
    bool FDesigning = false;
    bool FDestroying = false;
};

// The description of a component and of the components it owns, in the text form above.
std::string WriteComponentText(const TComponent& root);

// Reads a description into an existing component tree: the root's properties, then those of
// each nested object, found among the root's owned components by name. Every component read is
// marked loading while its properties are set, and Loaded runs on each at the end.
// Raises EReadError for malformed text, an unknown component or an unknown property.
void ReadComponentText(TComponent& root, std::string_view text);

} // namespace velkor
