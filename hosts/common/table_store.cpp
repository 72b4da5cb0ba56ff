#include "hosts/common/table_store.h"

#include <algorithm>
#include <optional>

#include "base/errors.h"

namespace kvt::hosts {
namespace {

[[noreturn]] void Refuse(const std::string& message) {
    throw EOleError(kEFail, message);
}

char16_t LowerAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

WideString Lower(std::u16string_view text) {
    WideString lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), LowerAscii);
    return lower;
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == u'\v';
}

// Letters and digits of any script, and the underscore, make up words.
bool IsWordCharacter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'_' || c >= 0x80;
}

// A word, a quoted literal (with its doubled quotes undone) or one punctuation character.
struct Token {
    WideString text;
    bool literal = false;
};

Token Literal(std::u16string_view sql, std::size_t& at) {
    Token token{u"", true};
    for (++at; at < sql.size(); ++at) {
        if (sql[at] == u'\'') {
            if (at + 1 < sql.size() && sql[at + 1] == u'\'') {
                ++at;
            } else {
                ++at;
                return token;
            }
        }
        token.text.push_back(sql[at]);
    }
    Refuse("unterminated literal in: " + WideToUtf8(sql));
}

std::vector<Token> Tokens(std::u16string_view sql) {
    std::vector<Token> tokens;
    std::size_t at = 0;
    while (at < sql.size()) {
        if (IsBlank(sql[at])) {
            ++at;
        } else if (sql[at] == u'\'') {
            tokens.push_back(Literal(sql, at));
        } else if (IsWordCharacter(sql[at])) {
            const std::size_t start = at;
            while (at < sql.size() && IsWordCharacter(sql[at])) {
                ++at;
            }
            tokens.push_back({WideString(sql.substr(start, at - start)), false});
        } else {
            tokens.push_back({WideString(1, sql[at++]), false});
        }
    }
    return tokens;
}

class Reader {
  public:
    explicit Reader(std::u16string_view sql) : sql_(sql), tokens_(Tokens(sql)) {}

    bool Done() const { return at_ >= tokens_.size(); }
    [[noreturn]] void Fail(const std::string& what) const {
        Refuse(what + " in: " + WideToUtf8(sql_));
    }
    const Token& Next() {
        if (Done()) {
            Fail("statement ends early");
        }
        return tokens_[at_++];
    }
    bool Peek(std::u16string_view word) const {
        return !Done() && !tokens_[at_].literal && Lower(tokens_[at_].text) == Lower(word);
    }
    bool Take(std::u16string_view word) {
        if (!Peek(word)) {
            return false;
        }
        ++at_;
        return true;
    }
    void Expect(std::u16string_view word) {
        if (!Take(word)) {
            Fail("expected \"" + WideToUtf8(word) + "\"");
        }
    }
    WideString Name() {
        const Token& token = Next();
        if (token.literal || !IsWordCharacter(token.text.front())) {
            Fail("expected a name");
        }
        return token.text;
    }
    WideString Text() {
        const Token& token = Next();
        if (!token.literal) {
            Fail("expected a quoted text");
        }
        return token.text;
    }
    // Items read by `item`, separated by commas.
    template <typename Item>
    std::vector<WideString> List(Item item) {
        std::vector<WideString> items{(this->*item)()};
        while (Take(u",")) {
            items.push_back((this->*item)());
        }
        return items;
    }
    // A statement may end with one semicolon; nothing may follow.
    void End() {
        Take(u";");
        if (!Done()) {
            Fail("unexpected text after the statement");
        }
    }

  private:
    std::u16string_view sql_;
    std::vector<Token> tokens_;
    std::size_t at_ = 0;
};

std::size_t ColumnOf(const Table& table, std::u16string_view name) {
    for (std::size_t column = 0; column < table.columns.size(); ++column) {
        if (Lower(table.columns[column]) == Lower(name)) {
            return column;
        }
    }
    Refuse("no such column: " + WideToUtf8(name));
}

// "where <column> = '<text>'", or no filter.
struct Filter {
    std::optional<std::size_t> column;
    WideString wanted;

    bool Keeps(const std::vector<WideString>& row) const {
        return !column || row[*column] == wanted;
    }
};

Filter WhereClause(Reader& reader, const Table& table) {
    Filter filter;
    if (reader.Take(u"where")) {
        filter.column = ColumnOf(table, reader.Name());
        reader.Expect(u"=");
        filter.wanted = reader.Text();
    }
    reader.End();
    return filter;
}

// Column definitions: a name, then its type words and an optional size in parentheses.
std::vector<WideString> ColumnDefinitions(Reader& reader) {
    reader.Expect(u"(");
    std::vector<WideString> columns;
    do {
        columns.push_back(reader.Name());
        while (!reader.Peek(u",") && !reader.Peek(u")")) {
            if (reader.Take(u"(")) {
                while (!reader.Take(u")")) {
                    reader.Next();
                }
            } else {
                reader.Name();
            }
        }
    } while (reader.Take(u","));
    reader.Expect(u")");
    return columns;
}

}  // namespace

void TableStore::Put(std::u16string_view name, Table table) {
    tables_[Lower(name)] = Named{WideString(name), std::move(table)};
}

const Table* TableStore::Find(std::u16string_view name) const {
    const auto found = tables_.find(Lower(name));
    return found == tables_.end() ? nullptr : &found->second.table;
}

Table& TableStore::Existing(std::u16string_view name) {
    const auto found = tables_.find(Lower(name));
    if (found == tables_.end()) {
        Refuse("no such table: " + WideToUtf8(name));
    }
    return found->second.table;
}

Table TableStore::Listing() const {
    Table listing{{u"TABLE_TYPE", u"TABLE_NAME"}, {}};
    for (const auto& [key, named] : tables_) {
        listing.rows.push_back({u"TABLE", named.name});
    }
    listing.rows.push_back({u"SYSTEM TABLE", u"sysobjects"});
    return listing;
}

Table TableStore::Query(std::u16string_view sql) const {
    Reader reader(sql);
    reader.Expect(u"select");
    const std::vector<WideString> columns = reader.List(&Reader::Name);
    reader.Expect(u"from");
    const WideString name = reader.Name();
    const Table* table = Find(name);
    if (table == nullptr) {
        Refuse("no such table: " + WideToUtf8(name));
    }
    const Filter filter = WhereClause(reader, *table);
    Table result;
    std::vector<std::size_t> picked;
    for (const WideString& column : columns) {
        picked.push_back(ColumnOf(*table, column));
        result.columns.push_back(table->columns[picked.back()]);
    }
    for (const auto& row : table->rows) {
        if (filter.Keeps(row)) {
            std::vector<WideString>& cells = result.rows.emplace_back();
            for (const std::size_t column : picked) {
                cells.push_back(row[column]);
            }
        }
    }
    return result;
}

std::int32_t TableStore::Execute(std::u16string_view sql) {
    Reader reader(sql);
    if (reader.Take(u"create")) {
        reader.Expect(u"table");
        const bool unless_present = reader.Take(u"if");
        if (unless_present) {
            reader.Expect(u"not");
            reader.Expect(u"exists");
        }
        const WideString name = reader.Name();
        Table table{ColumnDefinitions(reader), {}};
        reader.End();
        if (Find(name) != nullptr) {
            if (unless_present) {
                return 0;
            }
            Refuse("table " + WideToUtf8(name) + " already exists");
        }
        Put(name, std::move(table));
        return 0;
    }
    if (reader.Take(u"delete")) {
        reader.Expect(u"from");
        Table& table = Existing(reader.Name());
        const Filter filter = WhereClause(reader, table);
        return static_cast<std::int32_t>(
            std::erase_if(table.rows, [&](const auto& row) { return filter.Keeps(row); }));
    }
    if (reader.Take(u"insert")) {
        reader.Expect(u"into");
        Table& table = Existing(reader.Name());
        std::vector<std::size_t> targets;
        if (reader.Take(u"(")) {
            for (const WideString& column : reader.List(&Reader::Name)) {
                targets.push_back(ColumnOf(table, column));
            }
            reader.Expect(u")");
        } else {
            for (std::size_t column = 0; column < table.columns.size(); ++column) {
                targets.push_back(column);
            }
        }
        reader.Expect(u"values");
        reader.Expect(u"(");
        const std::vector<WideString> values = reader.List(&Reader::Text);
        reader.Expect(u")");
        reader.End();
        if (values.size() != targets.size()) {
            Refuse(std::to_string(values.size()) + " values for " + std::to_string(targets.size()) +
                   " columns");
        }
        std::vector<WideString> row(table.columns.size());
        for (std::size_t i = 0; i < targets.size(); ++i) {
            row[targets[i]] = values[i];
        }
        table.rows.push_back(std::move(row));
        return 1;
    }
    reader.Fail("unsupported statement");
}

}  // namespace kvt::hosts
