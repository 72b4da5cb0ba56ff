#pragma once
// The in-memory JSON tree. Containers own their children, a pair owns its value, an
// object owns its pairs and its name index. Pointers returned by ItemAt, Member,
// MemberByName and the like stay owned by the tree.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "base/text.h"
#include "base/variant.h"
#include "json/hash_table.h"
#include "json/node_pool.h"

namespace kvt::json {

enum class TqxJSONkind { jsBase, jsNumber, jsString, jsBoolean, jsNull, jsList, jsObject };

// The number type of the tree: extended precision where the platform has it.
using NumberType = long double;

class TqxJSONbase {
  public:
    TqxJSONbase() = default;
    TqxJSONbase(const TqxJSONbase&) = delete;
    TqxJSONbase& operator=(const TqxJSONbase&) = delete;
    virtual ~TqxJSONbase() = default;

    static void* operator new(std::size_t size) { return detail::AllocateNode(size); }
    static void operator delete(void* node, std::size_t size) noexcept {
        detail::FreeNode(node, size);
    }

    virtual Variant ToVariant() const;
    virtual void FromVariant(const Variant& value);
    // The child at `position`, or nullptr; for an object the child is the pair.
    virtual TqxJSONbase* ItemAt(int position) const;
    virtual void ReplaceItem(int position, std::unique_ptr<TqxJSONbase> value);
    virtual int ItemCount() const;
    // A numeric key addresses a child by position; objects take a text key as a name;
    // any other key gives the receiver itself.
    virtual TqxJSONbase* Member(const Variant& key);
    virtual TqxJSONkind Kind() const;
    virtual AnsiString KindName() const;
};

class TqxJSONnumber final : public TqxJSONbase {
  public:
    TqxJSONnumber() = default;
    explicit TqxJSONnumber(NumberType value) : NumberValue(value) {}

    Variant ToVariant() const override;
    void FromVariant(const Variant& value) override;
    TqxJSONkind Kind() const override;
    AnsiString KindName() const override;

    NumberType NumberValue = 0;
};

class TqxJSONstring final : public TqxJSONbase {
  public:
    TqxJSONstring() = default;
    explicit TqxJSONstring(WideString value) : StringValue(std::move(value)) {}

    Variant ToVariant() const override;
    void FromVariant(const Variant& value) override;
    TqxJSONkind Kind() const override;
    AnsiString KindName() const override;

    WideString StringValue;
};

class TqxJSONboolean final : public TqxJSONbase {
  public:
    TqxJSONboolean() = default;
    explicit TqxJSONboolean(bool value) : BooleanValue(value) {}

    Variant ToVariant() const override;
    void FromVariant(const Variant& value) override;
    TqxJSONkind Kind() const override;
    AnsiString KindName() const override;

    bool BooleanValue = false;
};

class TqxJSONnull final : public TqxJSONbase {
  public:
    Variant ToVariant() const override;
    TqxJSONkind Kind() const override;
    AnsiString KindName() const override;
};

// One member of an object: a name and the value it owns (or none).
class TqxJSONobjectmethod final : public TqxJSONbase {
  public:
    TqxJSONobjectmethod() = default;
    TqxJSONobjectmethod(WideString name, std::unique_ptr<TqxJSONbase> value)
        : PairValue(std::move(value)), PairName(std::move(name)) {}

    std::unique_ptr<TqxJSONbase> PairValue;
    WideString PairName;
};

// Ordered container of owned children.
class TqxJSONcustomlist : public TqxJSONbase {
  public:
    ~TqxJSONcustomlist() override;

    TqxJSONbase* ItemAt(int position) const override;
    void ReplaceItem(int position, std::unique_ptr<TqxJSONbase> value) override;
    int ItemCount() const override;
    TqxJSONbase* Member(const Variant& key) override;

    virtual TqxJSONbase* NamedItemAt(int position, AnsiString& name) const;
    // Adds `value` at the end and returns its position; -1 (and nothing added) for nullptr.
    virtual int Append(std::unique_ptr<TqxJSONbase> value);
    virtual void DeleteAt(int position);
    virtual int IndexOfItem(const TqxJSONbase* value) const;
    // Typed reads of the child (list) or member value (object) at a position: nothing
    // there gives 0 / empty / false; a child of another kind raises EInvalidCast.
    virtual std::int32_t IntAt(int position) const;
    virtual AnsiString StringAt(int position) const;
    virtual WideString WideStringAt(int position) const;
    virtual double FloatAt(int position) const;
    virtual bool BooleanAt(int position) const;

    void Reserve(std::size_t count) { Items.reserve(count); }

    // The children in order, for walks over the whole tree (the writer) that need no
    // per-position checks.
    std::span<const std::unique_ptr<TqxJSONbase>> Children() const { return Items; }

  protected:
    // The value the typed reads look at.
    virtual TqxJSONbase* ValueAt(int position) const { return ItemAt(position); }

    std::vector<std::unique_ptr<TqxJSONbase>> Items;
};

class TqxJSONlist final : public TqxJSONcustomlist {
  public:
    TqxJSONkind Kind() const override;
    AnsiString KindName() const override;
};

class TqxJSONobject final : public TqxJSONcustomlist {
  public:
    explicit TqxJSONobject(bool hashed);
    static std::unique_ptr<TqxJSONobject> NewObject(bool hashed);

    TqxJSONkind Kind() const override;
    AnsiString KindName() const override;
    TqxJSONbase* Member(const Variant& key) override;
    TqxJSONbase* NamedItemAt(int position, AnsiString& name) const override;

    int AddMember(WideString name, std::unique_ptr<TqxJSONbase> value);
    int AddMember(WideString name, NumberType value);
    int AddMember(WideString name, double value) {
        return AddMember(std::move(name), NumberType{value});
    }
    int AddMember(WideString name, const AnsiString& value);
    int AddMember(WideString name, const char* value) {
        return AddMember(std::move(name), AnsiString(value));
    }
    int AddMember(WideString name, std::int32_t value);

    int FindMember(std::u16string_view name) const;
    TqxJSONbase* MemberByName(std::u16string_view name) const;
    WideString NameAt(int position) const;
    // Goes through the member's name: with repeated names it yields what MemberByName
    // finds, and a member with the empty name cannot be reached by position.
    TqxJSONbase* MemberAt(int position) const;

    // An object holds only pairs: other values are refused (-1, or nothing replaced).
    // The names of appended pairs reach the index in one batch at the next lookup (a
    // parsed document is mostly never searched by name); deleting or replacing a pair
    // rebuilds the index so that lookups never see stale positions.
    int Append(std::unique_ptr<TqxJSONbase> value) override;
    void ReplaceItem(int position, std::unique_ptr<TqxJSONbase> value) override;
    void DeleteAt(int position) override;
    int AttachPair(std::unique_ptr<TqxJSONobjectmethod> pair);
    void Reserve(std::size_t count) { TqxJSONcustomlist::Reserve(count); }

    // The index with every member's name recorded.
    const TqxHashTable& NameIndex() const {
        SyncIndex();
        return name_index_;
    }
    // The pair at `position`, or nullptr.
    TqxJSONobjectmethod* PairAt(int position) const;
    const bool Hashed;

  protected:
    TqxJSONbase* ValueAt(int position) const override { return MemberAt(position); }

  private:
    void RebuildIndex();
    // Records in the index the names of the pairs appended since the last lookup.
    void SyncIndex() const;
    static bool NameOfPair(const void* object, std::int32_t position, std::u16string_view& name);

    // Brought up to date by const lookups; a tree is used by one thread at a time.
    mutable TqxHashTable name_index_;
    mutable int indexed_ = 0;  // pairs [0, indexed_) are recorded in name_index_
};

}  // namespace kvt::json
