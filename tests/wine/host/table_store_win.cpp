#include "table_store_win.h"

#include "base/text.h"
#include "script_object_win.h"

namespace kvt::wintest {

namespace {

std::u16string Wide16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

std::wstring WideW(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

// A column by its name, ignoring ASCII letter case, or the column count when none.
std::size_t ColumnNamed(const Table& table, const std::wstring& name) {
    const std::u16string wanted = Wide16(name);
    for (std::size_t column = 0; column < table.columns.size(); ++column) {
        if (SameTextAscii(table.columns[column], wanted)) {
            return column;
        }
    }
    return table.columns.size();
}

class Field final : public ScriptObject {
  public:
    Field(std::wstring value, std::string origin)
        : ScriptObject({L"Value"}, "Field", std::move(origin)), value_(std::move(value)) {}

  protected:
    HRESULT Member(const std::wstring&, const std::vector<VARIANT*>&, VARIANT& result) override {
        SetText(result, value_);
        return S_OK;
    }

  private:
    std::wstring value_;
};

class Recordset;

class Fields final : public ScriptObject {
  public:
    explicit Fields(Recordset& owner);
    ~Fields() override;

  protected:
    HRESULT Member(const std::wstring& name, const std::vector<VARIANT*>& arguments,
                   VARIANT& result) override;

  private:
    Recordset& owner_;
};

class Connection final : public ScriptObject {
  public:
    Connection(std::shared_ptr<TableStore> store, std::string origin)
        : ScriptObject({L"openSchema"}, "Connection", std::move(origin)),
          store_(std::move(store)) {}

  protected:
    HRESULT Member(const std::wstring&, const std::vector<VARIANT*>& arguments,
                   VARIANT& result) override {
        if (arguments.size() != 1 || V_VT(arguments[0]) != VT_I4 || V_I4(arguments[0]) != 20) {
            return E_INVALIDARG;
        }
        const auto schema = MakeRecordset(store_->Schema(), store_, "schema");
        SetObject(result, schema.Get());
        return S_OK;
    }

  private:
    std::shared_ptr<TableStore> store_;
};

class Recordset final : public ScriptObject {
  public:
    Recordset(Table rows, std::shared_ptr<TableStore> store, std::string origin)
        : ScriptObject(
              {L"RecordCount", L"Fields", L"EOF", L"MoveFirst", L"MoveNext", L"ActiveConnection"},
              "Recordset", std::move(origin)),
          rows_(std::move(rows)),
          store_(std::move(store)) {}

    const Table& Rows() const { return rows_; }
    std::size_t Position() const { return position_; }

  protected:
    HRESULT Member(const std::wstring& name, const std::vector<VARIANT*>&,
                   VARIANT& result) override {
        if (name == L"RecordCount") {
            SetInteger(result, static_cast<LONG>(rows_.rows.size()));
        } else if (name == L"Fields") {
            const auto fields = com::MakeComObject<Fields>(*this);
            SetObject(result, fields.Get());
        } else if (name == L"EOF") {
            SetBoolean(result, position_ >= rows_.rows.size());
        } else if (name == L"MoveFirst") {
            position_ = 0;
        } else if (name == L"MoveNext") {
            if (position_ < rows_.rows.size()) {
                ++position_;
            }
        } else {
            const auto connection = com::MakeComObject<Connection>(store_, Origin());
            SetObject(result, connection.Get());
        }
        return S_OK;
    }

  private:
    Table rows_;
    std::shared_ptr<TableStore> store_;
    std::size_t position_ = 0;
};

Fields::Fields(Recordset& owner)
    : ScriptObject({L"Count", L"Item"}, "Fields", owner.Origin()), owner_(owner) {
    owner_.AddRef();
}

Fields::~Fields() {
    owner_.Release();
}

HRESULT Fields::Member(const std::wstring& name, const std::vector<VARIANT*>& arguments,
                       VARIANT& result) {
    const Table& rows = owner_.Rows();
    if (name == L"Count") {
        SetInteger(result, static_cast<LONG>(rows.columns.size()));
        return S_OK;
    }
    if (arguments.size() != 1 || owner_.Position() >= rows.rows.size()) {
        return E_INVALIDARG;
    }
    std::size_t column = 0;
    if (V_VT(arguments[0]) == VT_BSTR) {
        column = ColumnNamed(rows, V_BSTR(arguments[0]));
        if (column >= rows.columns.size()) {
            return DISP_E_MEMBERNOTFOUND;
        }
    } else if (V_VT(arguments[0]) == VT_I4) {
        column = static_cast<std::size_t>(V_I4(arguments[0]));
    } else {
        return DISP_E_TYPEMISMATCH;
    }
    if (column >= rows.columns.size()) {
        return DISP_E_BADINDEX;
    }
    const auto field =
        com::MakeComObject<Field>(WideW(rows.rows[owner_.Position()][column]), owner_.Origin());
    SetObject(result, field.Get());
    return S_OK;
}

}  // namespace

void TableStore::Put(const std::wstring& name, Table table) {
    tables_.Put(Wide16(name), std::move(table));
}

const Table* TableStore::Find(const std::wstring& name) const {
    return tables_.Find(Wide16(name));
}

com::ComPtr<IDispatch> TableStore::Open(const std::wstring& sql) {
    statements_.push_back(sql);
    return MakeRecordset(tables_.Query(Wide16(sql)), shared_from_this(), WideToUtf8(Wide16(sql)));
}

LONG TableStore::Execute(const std::wstring& sql) {
    statements_.push_back(sql);
    return static_cast<LONG>(tables_.Execute(Wide16(sql)));
}

com::ComPtr<IDispatch> MakeRecordset(Table rows, std::shared_ptr<TableStore> store,
                                     std::string origin) {
    return com::ComPtr<IDispatch>(
        com::MakeComObject<Recordset>(std::move(rows), std::move(store), std::move(origin)).Get());
}

}  // namespace kvt::wintest
