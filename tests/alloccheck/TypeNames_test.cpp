// Class names read from vtables without allocating: the demangler agrees with
// the C++ library's own on every kind of name it claims to read.

#include "alloccheck/Demangle.h"
#include "alloccheck/TypeNames.h"

#include <gtest/gtest.h>

#include <cxxabi.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

struct TAnonymousThing
{
    virtual ~TAnonymousThing() = default;
};

} // namespace

namespace Outer::Inner {

struct TNested
{
    struct TDeeper
    {
        virtual ~TDeeper() = default;
    };
    virtual ~TNested() = default;
};

template <typename T, int N, bool B>
struct TTemplated
{
    virtual ~TTemplated() = default;
};

} // namespace Outer::Inner

struct TPrimary
{
    virtual ~TPrimary() = default;
    long Value = 0;
};

struct TSecondary
{
    virtual ~TSecondary() = default;
};

struct TBoth : TPrimary, TSecondary
{
};

template <typename... T>
struct TPack
{
};

namespace {

std::string LibraryDemangled(const char* mangled)
{
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> text(abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
    return status == 0 ? std::string(text.get()) : std::string("<failed>");
}

std::string Ours(const char* mangled, bool* ok = nullptr, std::size_t room = 512)
{
    std::vector<char> out(room);
    const bool read = AllocCheck::DemangleTypeName(mangled, out.data(), out.size());
    if (ok)
        *ok = read;
    return out.data();
}

const void* VtableOf(const void* object)
{
    return *static_cast<const void* const*>(object);
}

std::string ClassName(const void* object)
{
    char name[256];
    AllocCheck::ClassNameOfVtable(VtableOf(object), name, sizeof name);
    return name;
}

} // namespace

TEST(AllocCheckTypeNames, DemanglesAsTheLibraryDoes)
{
    const std::vector<const char*> names = {
        typeid(TAnonymousThing).name(),
        typeid(Outer::Inner::TNested).name(),
        typeid(Outer::Inner::TNested::TDeeper).name(),
        typeid(Outer::Inner::TTemplated<const char*, -3, true>).name(),
        typeid(Outer::Inner::TTemplated<std::vector<std::vector<int>>, 7, false>).name(),
        typeid(std::runtime_error).name(),
        typeid(std::string).name(),
        typeid(std::map<std::string, Outer::Inner::TNested*>).name(),
        typeid(TPack<int, unsigned long, volatile double&, TBoth&&, char>).name(),
        typeid(TPack<std::nullptr_t, char16_t, const TPrimary* const*>).name(),
        typeid(std::allocator<char>).name(),
    };
    for (const char* name : names) {
        bool ok = false;
        EXPECT_EQ(Ours(name, &ok), LibraryDemangled(name)) << name;
        EXPECT_TRUE(ok) << name;
    }
    // Literal arguments of other integer types.
    EXPECT_EQ(Ours("4TFooIcLc65ELm3ELx12ELj5EE"), LibraryDemangled("4TFooIcLc65ELm3ELx12ELj5EE"));
}

TEST(AllocCheckTypeNames, WhatItCannotReadStaysMangled)
{
    auto lambda = [] {};
    struct TLocal
    {
    };
    for (const char* name : {typeid(lambda).name(), typeid(TLocal).name(), "N3Foo", "S5_", "3Fo", "PFivE"}) {
        bool ok = true;
        EXPECT_EQ(Ours(name, &ok), std::string(name));
        EXPECT_FALSE(ok) << name;
    }
    // Too long for the room given: cut, and marked as not read.
    bool ok = true;
    const std::string cut = Ours(typeid(std::map<std::string, int>).name(), &ok, 12);
    EXPECT_FALSE(ok);
    EXPECT_EQ(cut.size(), 11u);
}

TEST(AllocCheckTypeNames, VtablePointersAreToldApartFromOtherWords)
{
    AllocCheck::PrepareVtableRecognition();
    const auto both = std::make_unique<TBoth>();
    long offset = 99;
    EXPECT_TRUE(AllocCheck::IsVtablePointer(VtableOf(both.get()), &offset));
    EXPECT_EQ(offset, 0);
    const TSecondary* secondary = both.get();
    EXPECT_TRUE(AllocCheck::IsVtablePointer(VtableOf(secondary), &offset));
    EXPECT_EQ(offset, -static_cast<long>(reinterpret_cast<const char*>(secondary) - reinterpret_cast<const char*>(both.get())));

    static const char kText[] = "not a vtable";
    static const long kNumbers[] = {0, 0, 0, 0};
    int local = 0;
    for (const void* word : {static_cast<const void*>(both.get()), static_cast<const void*>(kText),
                             static_cast<const void*>(&kNumbers[2]), reinterpret_cast<const void*>(&LibraryDemangled),
                             static_cast<const void*>(&local), static_cast<const void*>(nullptr),
                             reinterpret_cast<const void*>(std::uintptr_t{12345})}) {
        EXPECT_FALSE(AllocCheck::IsVtablePointer(word)) << word;
        // Asked again, the remembered verdict is the same.
        EXPECT_FALSE(AllocCheck::IsVtablePointer(word)) << word;
    }
}

TEST(AllocCheckTypeNames, ClassNamesComeFromTheVtable)
{
    AllocCheck::PrepareVtableRecognition();
    const auto anonymous = std::make_unique<TAnonymousThing>();
    EXPECT_EQ(ClassName(anonymous.get()), "(anonymous namespace)::TAnonymousThing");
    const auto deeper = std::make_unique<Outer::Inner::TNested::TDeeper>();
    EXPECT_EQ(ClassName(deeper.get()), "Outer::Inner::TNested::TDeeper");
    const auto templated = std::make_unique<Outer::Inner::TTemplated<int, 2, false>>();
    EXPECT_EQ(ClassName(templated.get()), "Outer::Inner::TTemplated<int, 2, false>");
    // The C++ library exports this vtable's symbol.
    const auto error = std::make_unique<std::runtime_error>("x");
    EXPECT_EQ(ClassName(error.get()), "std::runtime_error");
}
