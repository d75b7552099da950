#pragma once
// The extras block's line syntax, apart from its keys: a line split into a
// key and fields, fields read as numbers, flags and text, lines written back.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

struct MagneticLimit;

namespace extras {

// One item line: its key, the fields after it and the line itself.
struct Item {
    std::string_view line;
    std::string_view key;
    std::vector<std::string_view> fields;
    int number = 0;   // line number within the block, the heading being 1

    // The text after the first n fields and one blank: a name or a path,
    // blanks and all. Nothing when the line has fewer fields.
    std::optional<std::string_view> rest(std::size_t n) const;
};

// The fields of s, split at blanks and tabs.
void splitFields(std::string_view s, std::vector<std::string_view>& out);

// The next line of s from pos, without its line end; pos moves past it.
bool nextLine(std::string_view s, std::size_t& pos, std::string_view& line);

// The sentence that reports a line not read.
std::string lineProblem(int number, const std::string& why);

// The item has exactly n fields, or at least n; why says what is wrong.
bool count(const Item& it, std::size_t n, std::string& why);
bool atLeast(const Item& it, std::size_t n, std::string& why);

// Field i of the item, read and checked; why names the field.
bool num(const Item& it, std::size_t i, double& out, std::string& why);
// A number within a magnetic quantity's limits.
bool within(const Item& it, std::size_t i, const MagneticLimit& limit, double& out, std::string& why);
bool whole(const Item& it, std::size_t i, int lo, int hi, int& out, std::string& why);
bool flag(const Item& it, std::size_t i, bool& out, std::string& why);
// The text after the first n fields (see Item::rest).
bool text(const Item& it, std::size_t n, std::string& out, std::string& why);

// Item lines written into a block: the key, then each field after a blank,
// numbers so that they read back the same.
class Out {
public:
    explicit Out(std::string& s) : s_(s) {}
    Out& key(std::string_view k)
    {
        s_ += k;
        return *this;
    }
    Out& operator<<(double v);
    Out& operator<<(int v);
    Out& operator<<(bool v)
    {
        s_ += v ? " 1" : " 0";
        return *this;
    }
    Out& operator<<(std::string_view v)
    {
        s_ += ' ';
        s_ += v;
        return *this;
    }
    void end() { s_ += "\r\n"; }
    void raw(std::string_view line)
    {
        s_ += line;
        end();
    }

private:
    std::string& s_;
};

}  // namespace extras
}  // namespace corvane
