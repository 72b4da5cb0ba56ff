#include "json/value.h"

#include <cmath>
#include <limits>

#include "base/errors.h"

namespace kvt::json {
namespace {

bool IsNumericKey(const Variant& key) {
    return key.IsNumeric();
}

int KeyPosition(const Variant& key) {
    return key.ToInt32();
}

template <typename Wanted>
const Wanted* CheckedCast(const TqxJSONbase* value) {
    const auto* wanted = dynamic_cast<const Wanted*>(value);
    if (wanted == nullptr) {
        throw EInvalidCast();
    }
    return wanted;
}

}  // namespace

// --- TqxJSONbase -----------------------------------------------------------------------

Variant TqxJSONbase::ToVariant() const {
    return Variant::Null();
}
void TqxJSONbase::FromVariant(const Variant&) {}
TqxJSONbase* TqxJSONbase::ItemAt(int) const {
    return nullptr;
}
void TqxJSONbase::ReplaceItem(int, std::unique_ptr<TqxJSONbase>) {}
int TqxJSONbase::ItemCount() const {
    return 0;
}
TqxJSONbase* TqxJSONbase::Member(const Variant&) {
    return this;
}
TqxJSONkind TqxJSONbase::Kind() const {
    return TqxJSONkind::jsBase;
}
AnsiString TqxJSONbase::KindName() const {
    return "jsBase";
}

// --- scalars ---------------------------------------------------------------------------

Variant TqxJSONnumber::ToVariant() const {
    return Variant(static_cast<double>(NumberValue));
}
void TqxJSONnumber::FromVariant(const Variant& value) {
    NumberValue = value.ToDouble();
}
TqxJSONkind TqxJSONnumber::Kind() const {
    return TqxJSONkind::jsNumber;
}
AnsiString TqxJSONnumber::KindName() const {
    return "jsNumber";
}

Variant TqxJSONstring::ToVariant() const {
    return Variant(StringValue);
}
void TqxJSONstring::FromVariant(const Variant& value) {
    StringValue = value.IsNull() ? WideString() : value.ToWide();
}
TqxJSONkind TqxJSONstring::Kind() const {
    return TqxJSONkind::jsString;
}
AnsiString TqxJSONstring::KindName() const {
    return "jsString";
}

Variant TqxJSONboolean::ToVariant() const {
    return Variant(BooleanValue);
}
void TqxJSONboolean::FromVariant(const Variant& value) {
    BooleanValue = value.ToBool();
}
TqxJSONkind TqxJSONboolean::Kind() const {
    return TqxJSONkind::jsBoolean;
}
AnsiString TqxJSONboolean::KindName() const {
    return "jsBoolean";
}

Variant TqxJSONnull::ToVariant() const {
    return Variant::Null();
}
TqxJSONkind TqxJSONnull::Kind() const {
    return TqxJSONkind::jsNull;
}
AnsiString TqxJSONnull::KindName() const {
    return "jsNull";
}

// --- containers ------------------------------------------------------------------------

TqxJSONcustomlist::~TqxJSONcustomlist() {
    // Last to first, so deep sibling lists unwind in the order they were built.
    while (!Items.empty()) {
        Items.pop_back();
    }
}

TqxJSONbase* TqxJSONcustomlist::ItemAt(int position) const {
    if (position < 0 || position >= ItemCount()) {
        return nullptr;
    }
    return Items[static_cast<std::size_t>(position)].get();
}

void TqxJSONcustomlist::ReplaceItem(int position, std::unique_ptr<TqxJSONbase> value) {
    if (position >= 0 && position < ItemCount()) {
        Items[static_cast<std::size_t>(position)] = std::move(value);
    }
}

int TqxJSONcustomlist::ItemCount() const {
    return static_cast<int>(Items.size());
}

TqxJSONbase* TqxJSONcustomlist::Member(const Variant& key) {
    if (IsNumericKey(key)) {
        return ItemAt(KeyPosition(key));
    }
    return this;
}

TqxJSONbase* TqxJSONcustomlist::NamedItemAt(int position, AnsiString& name) const {
    name = std::to_string(position);
    return ItemAt(position);
}

int TqxJSONcustomlist::Append(std::unique_ptr<TqxJSONbase> value) {
    if (!value) {
        return -1;
    }
    Items.push_back(std::move(value));
    return ItemCount() - 1;
}

void TqxJSONcustomlist::DeleteAt(int position) {
    if (position >= 0 && position < ItemCount()) {
        Items.erase(Items.begin() + position);
    }
}

int TqxJSONcustomlist::IndexOfItem(const TqxJSONbase* value) const {
    for (std::size_t i = 0; i < Items.size(); ++i) {
        if (Items[i].get() == value) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::int32_t TqxJSONcustomlist::IntAt(int position) const {
    const TqxJSONbase* value = ValueAt(position);
    if (value == nullptr) {
        return 0;
    }
    const double d = CheckedCast<TqxJSONnumber>(value)->ToVariant().ToDouble();
    // Truncate toward zero to 64 bits and keep the low 32; out-of-range values wrap the
    // way the 64-bit truncation does rather than being undefined.
    const double t = std::trunc(d);
    std::int64_t wide = 0;
    if (t >= -9223372036854775808.0 && t < 9223372036854775808.0) {
        wide = static_cast<std::int64_t>(t);
    } else if (!std::isnan(t)) {
        wide = std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(wide)));
}

AnsiString TqxJSONcustomlist::StringAt(int position) const {
    const TqxJSONbase* value = ValueAt(position);
    if (value == nullptr) {
        return {};
    }
    return WideToAnsi(CheckedCast<TqxJSONstring>(value)->StringValue);
}

WideString TqxJSONcustomlist::WideStringAt(int position) const {
    const TqxJSONbase* value = ValueAt(position);
    if (value == nullptr) {
        return {};
    }
    return CheckedCast<TqxJSONstring>(value)->StringValue;
}

double TqxJSONcustomlist::FloatAt(int position) const {
    const TqxJSONbase* value = ValueAt(position);
    if (value == nullptr) {
        return 0;
    }
    return CheckedCast<TqxJSONnumber>(value)->ToVariant().ToDouble();
}

bool TqxJSONcustomlist::BooleanAt(int position) const {
    const TqxJSONbase* value = ValueAt(position);
    if (value == nullptr) {
        return false;
    }
    return CheckedCast<TqxJSONboolean>(value)->BooleanValue;
}

TqxJSONkind TqxJSONlist::Kind() const {
    return TqxJSONkind::jsList;
}
AnsiString TqxJSONlist::KindName() const {
    return "jsList";
}

// --- objects ---------------------------------------------------------------------------

TqxJSONobject::TqxJSONobject(bool hashed) : Hashed(hashed) {
    name_index_.SetNameSource(&NameOfPair, this);
}

bool TqxJSONobject::NameOfPair(const void* object, std::int32_t position,
                               std::u16string_view& name) {
    const TqxJSONobjectmethod* pair = static_cast<const TqxJSONobject*>(object)->PairAt(position);
    if (pair == nullptr) {
        return false;
    }
    name = pair->PairName;
    return true;
}

std::unique_ptr<TqxJSONobject> TqxJSONobject::NewObject(bool hashed) {
    return std::make_unique<TqxJSONobject>(hashed);
}

TqxJSONkind TqxJSONobject::Kind() const {
    return TqxJSONkind::jsObject;
}
AnsiString TqxJSONobject::KindName() const {
    return "jsObject";
}

TqxJSONbase* TqxJSONobject::Member(const Variant& key) {
    if (key.IsText()) {
        return MemberByName(key.ToWide());
    }
    return TqxJSONcustomlist::Member(key);
}

TqxJSONbase* TqxJSONobject::NamedItemAt(int position, AnsiString& name) const {
    name = WideToAnsi(NameAt(position));
    return MemberAt(position);
}

int TqxJSONobject::AttachPair(std::unique_ptr<TqxJSONobjectmethod> pair) {
    return TqxJSONcustomlist::Append(std::move(pair));
}

void TqxJSONobject::SyncIndex() const {
    if (!Hashed || indexed_ == ItemCount()) {
        return;
    }
    name_index_.Reserve(static_cast<std::size_t>(ItemCount() - indexed_));
    for (; indexed_ < ItemCount(); ++indexed_) {
        const auto& pair =
            static_cast<const TqxJSONobjectmethod&>(*Items[static_cast<std::size_t>(indexed_)]);
        name_index_.Store(pair.PairName, indexed_);
    }
}

int TqxJSONobject::Append(std::unique_ptr<TqxJSONbase> value) {
    if (dynamic_cast<TqxJSONobjectmethod*>(value.get()) == nullptr) {
        return -1;
    }
    return AttachPair(
        std::unique_ptr<TqxJSONobjectmethod>(static_cast<TqxJSONobjectmethod*>(value.release())));
}

void TqxJSONobject::ReplaceItem(int position, std::unique_ptr<TqxJSONbase> value) {
    if (dynamic_cast<TqxJSONobjectmethod*>(value.get()) == nullptr) {
        return;
    }
    TqxJSONcustomlist::ReplaceItem(position, std::move(value));
    RebuildIndex();
}

void TqxJSONobject::DeleteAt(int position) {
    const int before = ItemCount();
    TqxJSONcustomlist::DeleteAt(position);
    if (ItemCount() != before) {
        RebuildIndex();
    }
}

void TqxJSONobject::RebuildIndex() {
    name_index_.Clear();
    indexed_ = 0;
}

int TqxJSONobject::AddMember(WideString name, std::unique_ptr<TqxJSONbase> value) {
    if (!value) {
        return -1;
    }
    return AttachPair(std::make_unique<TqxJSONobjectmethod>(std::move(name), std::move(value)));
}

int TqxJSONobject::AddMember(WideString name, NumberType value) {
    return AddMember(std::move(name), std::make_unique<TqxJSONnumber>(value));
}

int TqxJSONobject::AddMember(WideString name, const AnsiString& value) {
    return AddMember(std::move(name), std::make_unique<TqxJSONstring>(AnsiToWide(value)));
}

int TqxJSONobject::AddMember(WideString name, std::int32_t value) {
    return AddMember(std::move(name), std::make_unique<TqxJSONnumber>(value));
}

TqxJSONobjectmethod* TqxJSONobject::PairAt(int position) const {
    return static_cast<TqxJSONobjectmethod*>(ItemAt(position));
}

int TqxJSONobject::FindMember(std::u16string_view name) const {
    if (Hashed) {
        SyncIndex();
        return name_index_.Find(name);
    }
    for (int i = 0; i < ItemCount(); ++i) {
        if (PairAt(i)->PairName == name) {
            return i;
        }
    }
    return -1;
}

TqxJSONbase* TqxJSONobject::MemberByName(std::u16string_view name) const {
    const TqxJSONobjectmethod* pair = PairAt(FindMember(name));
    return pair ? pair->PairValue.get() : nullptr;
}

WideString TqxJSONobject::NameAt(int position) const {
    const TqxJSONobjectmethod* pair = PairAt(position);
    return pair ? pair->PairName : WideString();
}

TqxJSONbase* TqxJSONobject::MemberAt(int position) const {
    const WideString name = NameAt(position);
    if (name.empty()) {
        return nullptr;
    }
    return MemberByName(name);
}

}  // namespace kvt::json
