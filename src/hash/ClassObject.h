// Class objects ("class references") of the hash and cipher classes: one constant object per
// class that names it, knows its parent, holds its class constants and makes instances. The
// hash and cipher class objects are this template with their own constants added.
#pragma once

#include "hash/Protection.h"

#include <memory>
#include <string>

namespace velkor {

template <class Self, class Instance> class TClassObject {
public:
    using TFactory = std::shared_ptr<Instance> (*)(TProtectionRef protection);

    std::string ClassName() const { return FName; }
    const Self* ClassParent() const { return FParent; }
    // True for the class itself and every class derived from `ancestor`.
    bool InheritsFrom(const Self* ancestor) const {
        for (const Self* c = static_cast<const Self*>(this); c != nullptr; c = c->ClassParent())
            if (c == ancestor) return true;
        return false;
    }
    // An object of the class with the protection chained.
    std::shared_ptr<Instance> Create(TProtectionRef protection = nullptr) const {
        return FFactory(std::move(protection));
    }

    // The factory of a class T constructed from its chained protection.
    template <class T> static std::shared_ptr<Instance> Make(TProtectionRef protection) {
        return std::make_shared<T>(std::move(protection));
    }

protected:
    TClassObject(const char* name, const Self* parent, TFactory factory)
        : FName(name), FParent(parent), FFactory(factory) {}

private:
    const char* FName;
    const Self* FParent;
    TFactory FFactory;
};

// Declares the class object of T inside its body: `Class()` names the class, `ClassType()` the
// class of an object.
#define VELKOR_CLASS_OBJECT(ClassRefType)                                                          \
public:                                                                                            \
    static ClassRefType Class();                                                                   \
    ClassRefType ClassType() const override {                                                      \
        return Class();                                                                            \
    }

} // namespace velkor
