// Ownership, destruction notices and the text form of component descriptions.
#include "base/Component.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

class TProbe : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TProbe"; }
    ~TProbe() override {
        if (Destroyed) ++*Destroyed;
    }

    int* Destroyed = nullptr;
    TComponent* Linked = nullptr;
    std::string Text;
    long long Number = 0;
    std::string Ident;
    int LoadedCalls = 0;
    bool LoadingSeen = false;

    void Link(TComponent* c) {
        Linked = c;
        c->FreeNotification(this);
    }
    void WriteProperties(TPropertyWriter& w) const override {
        if (!Text.empty()) w.WriteString("Text", Text);
        w.WriteInteger("Number", Number);
        if (!Ident.empty()) w.WriteIdent("Mode", Ident);
    }
    bool ReadProperty(std::string_view name, const TPropertyValue& v) override {
        LoadingSeen = Loading();
        if (name == "Text" && v.Kind == TPropertyKind::String)
            Text = v.Text;
        else if (name == "Number" && v.Kind == TPropertyKind::Integer)
            Number = std::stoll(v.Text);
        else if (name == "Mode" && v.Kind == TPropertyKind::Identifier)
            Ident = v.Text;
        else
            return false;
        return true;
    }
    void Loaded() override { ++LoadedCalls; }

protected:
    void Notification(TComponent* c, TOperation op) override {
        if (op == TOperation::opRemove && c == Linked) Linked = nullptr;
    }
};

TEST(Component, OwnerDestroysWhatItOwns) {
    int destroyed = 0;
    auto* owner = new TProbe(nullptr);
    auto* a = new TProbe(owner);
    auto* b = new TProbe(owner);
    a->Destroyed = b->Destroyed = &destroyed;
    EXPECT_EQ(owner->ComponentCount(), 2);
    delete a;
    EXPECT_EQ(owner->ComponentCount(), 1);
    delete owner;
    EXPECT_EQ(destroyed, 2);
}

TEST(Component, LinkedComponentHearsOfDestruction) {
    TProbe watcher(nullptr);
    auto* target = new TProbe(nullptr);
    watcher.Link(target);
    delete target;
    EXPECT_EQ(watcher.Linked, nullptr);
    // The other way round: the watcher may go first without leaving a dangling notice.
    TProbe target2(nullptr);
    {
        TProbe shortLived(nullptr);
        shortLived.Link(&target2);
    }
}

TEST(Component, DescriptionRoundTrip) {
    TProbe root(nullptr);
    root.SetName("Form1");
    auto* child = new TProbe(&root);
    child->SetName("HashManager1");
    child->Text = std::string("it's\x01\xE8", 6);
    child->Number = -7;
    child->Ident = "cmCTS";
    std::string text = WriteComponentText(root);
    EXPECT_NE(text.find("object HashManager1: TProbe"), std::string::npos) << text;
    EXPECT_NE(text.find("Text = 'it''s'#1#232"), std::string::npos) << text;

    TProbe root2(nullptr);
    root2.SetName("Form1");
    auto* child2 = new TProbe(&root2);
    child2->SetName("HashManager1");
    ReadComponentText(root2, text);
    EXPECT_EQ(child2->Text, child->Text);
    EXPECT_EQ(child2->Number, -7);
    EXPECT_EQ(child2->Ident, "cmCTS");
    EXPECT_TRUE(child2->LoadingSeen);
    EXPECT_FALSE(child2->Loading());
    EXPECT_EQ(child2->LoadedCalls, 1);
    EXPECT_EQ(root2.LoadedCalls, 1);
}

TEST(Component, MalformedDescriptionsAreReadErrors) {
    TProbe root(nullptr);
    root.SetName("Form1");
    for (const char* text :
         {"object Form1: TOther\nend\n", "object Form1: TProbe\n  Nope = 1\nend\n",
          "object Form1: TProbe\n  Text = 'open\nend\n",
          "object Form1: TProbe\n  object Missing: TProbe\n  end\nend\n",
          "object Form1: TProbe\n"}) {
        EXPECT_THROW(ReadComponentText(root, text), EReadError) << text;
        EXPECT_FALSE(root.Loading());
    }
}

} // namespace
} // namespace velkor
