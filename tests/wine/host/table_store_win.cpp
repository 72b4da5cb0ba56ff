#include "table_store_win.h"

#include <cwctype>
#include <stdexcept>

#include "base/text.h"
#include "script_object_win.h"

namespace kvt::wintest {

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return text;
}

// Words, quoted literals (quotes doubled inside) and single punctuation characters.
struct Token {
    std::wstring text;
    bool literal = false;
};

std::vector<Token> Tokens(const std::wstring& sql) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < sql.size()) {
        const wchar_t c = sql[i];
        if (std::iswspace(c)) {
            ++i;
        } else if (c == L'\'') {
            Token token{L"", true};
            ++i;
            while (i < sql.size()) {
                if (sql[i] == L'\'') {
                    if (i + 1 < sql.size() && sql[i + 1] == L'\'') {
                        token.text.push_back(L'\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                token.text.push_back(sql[i++]);
            }
            tokens.push_back(token);
        } else if (std::iswalnum(c) || c == L'_') {
            Token token;
            while (i < sql.size() && (std::iswalnum(sql[i]) || sql[i] == L'_')) {
                token.text.push_back(sql[i++]);
            }
            tokens.push_back(token);
        } else {
            tokens.push_back({std::wstring(1, c), false});
            ++i;
        }
    }
    return tokens;
}

class Reader {
  public:
    explicit Reader(const std::wstring& sql) : tokens_(Tokens(sql)) {}

    bool Done() const { return at_ >= tokens_.size(); }
    const Token& Next() {
        if (Done()) {
            throw std::runtime_error("statement ends early");
        }
        return tokens_[at_++];
    }
    std::wstring Word() { return Next().text; }
    void Expect(const std::wstring& word) {
        if (Lower(Word()) != Lower(word)) {
            throw std::runtime_error("unexpected word in statement");
        }
    }
    bool Peek(const std::wstring& word) const {
        return !Done() && Lower(tokens_[at_].text) == Lower(word);
    }
    // Words separated by commas up to `end` (consumed).
    std::vector<std::wstring> List(const std::wstring& end) {
        std::vector<std::wstring> words;
        while (!Peek(end)) {
            const Token& token = Next();
            if (token.text != L"," || token.literal) {
                words.push_back(token.text);
            }
        }
        Next();
        return words;
    }

  private:
    std::vector<Token> tokens_;
    std::size_t at_ = 0;
};

std::size_t ColumnOf(const Table& table, const std::wstring& name) {
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (Lower(table.columns[i]) == Lower(name)) {
            return i;
        }
    }
    throw std::runtime_error("no such column");
}

// "where <column> = '<text>'" at the end of a statement, or no filter.
struct Filter {
    bool on = false;
    std::size_t column = 0;
    std::wstring wanted;

    bool Keeps(const std::vector<std::wstring>& row) const { return !on || row[column] == wanted; }
};

Filter WhereClause(Reader& reader, const Table& table) {
    Filter filter;
    if (reader.Done()) {
        return filter;
    }
    reader.Expect(L"where");
    filter.on = true;
    filter.column = ColumnOf(table, reader.Word());
    reader.Expect(L"=");
    filter.wanted = reader.Next().text;
    return filter;
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
        try {
            column = ColumnOf(rows, V_BSTR(arguments[0]));
        } catch (...) {
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
        com::MakeComObject<Field>(rows.rows[owner_.Position()][column], owner_.Origin());
    SetObject(result, field.Get());
    return S_OK;
}

}  // namespace

void TableStore::Put(const std::wstring& name, Table table) {
    tables_[Lower(name)] = std::move(table);
}

const Table* TableStore::Find(const std::wstring& name) const {
    const auto found = tables_.find(Lower(name));
    return found == tables_.end() ? nullptr : &found->second;
}

Table TableStore::Schema() const {
    Table schema{{L"TABLE_TYPE", L"TABLE_NAME"}, {}};
    for (const auto& [name, table] : tables_) {
        schema.rows.push_back({L"TABLE", name});
    }
    schema.rows.push_back({L"SYSTEM TABLE", L"sysobjects"});
    return schema;
}

com::ComPtr<IDispatch> TableStore::Open(const std::wstring& sql) {
    statements_.push_back(sql);
    Reader reader(sql);
    reader.Expect(L"select");
    const std::vector<std::wstring> columns = reader.List(L"from");
    const std::wstring name = reader.Word();
    const Table* table = Find(name);
    if (table == nullptr) {
        throw std::runtime_error("no such table");
    }
    const Filter filter = WhereClause(reader, *table);
    Table result;
    std::vector<std::size_t> picked;
    for (const std::wstring& column : columns) {
        picked.push_back(ColumnOf(*table, column));
        result.columns.push_back(table->columns[picked.back()]);
    }
    for (const auto& row : table->rows) {
        if (!filter.Keeps(row)) {
            continue;
        }
        std::vector<std::wstring> cells;
        for (const std::size_t column : picked) {
            cells.push_back(row[column]);
        }
        result.rows.push_back(cells);
    }
    return MakeRecordset(std::move(result), shared_from_this(),
                         WideToUtf8(std::u16string(sql.begin(), sql.end())));
}

LONG TableStore::Execute(const std::wstring& sql) {
    statements_.push_back(sql);
    Reader reader(sql);
    const std::wstring verb = Lower(reader.Word());
    if (verb == L"create") {
        reader.Expect(L"table");
        const std::wstring name = reader.Word();
        reader.Expect(L"(");
        Table table;
        // Column definitions: a name, a type and an optional size, separated by commas.
        bool expect_name = true;
        int depth = 0;
        while (!reader.Done()) {
            const std::wstring word = reader.Word();
            if (word == L"(") {
                ++depth;
            } else if (word == L")") {
                if (depth-- == 0) {
                    break;
                }
            } else if (word == L"," && depth == 0) {
                expect_name = true;
            } else if (expect_name && depth == 0) {
                table.columns.push_back(word);
                expect_name = false;
            }
        }
        Put(name, table);
        return 0;
    }
    if (verb == L"delete") {
        reader.Expect(L"from");
        Table* table = &tables_.at(Lower(reader.Word()));
        const Filter filter = WhereClause(reader, *table);
        const auto before = table->rows.size();
        std::erase_if(table->rows, [&](const auto& row) { return filter.Keeps(row); });
        return static_cast<LONG>(before - table->rows.size());
    }
    if (verb == L"insert") {
        reader.Expect(L"into");
        Table* table = &tables_.at(Lower(reader.Word()));
        reader.Expect(L"(");
        const std::vector<std::wstring> columns = reader.List(L")");
        reader.Expect(L"values");
        reader.Expect(L"(");
        const std::vector<std::wstring> values = reader.List(L")");
        std::vector<std::wstring> row(table->columns.size());
        for (std::size_t i = 0; i < columns.size() && i < values.size(); ++i) {
            row[ColumnOf(*table, columns[i])] = values[i];
        }
        table->rows.push_back(row);
        return 1;
    }
    throw std::runtime_error("unsupported statement");
}

com::ComPtr<IDispatch> MakeRecordset(Table rows, std::shared_ptr<TableStore> store,
                                     std::string origin) {
    return com::ComPtr<IDispatch>(
        com::MakeComObject<Recordset>(std::move(rows), std::move(store), std::move(origin)).Get());
}

}  // namespace kvt::wintest
