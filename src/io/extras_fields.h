#pragma once
// A key's fields described once, as a table of where each is held, its kind
// and its range: lines are read against the table and written from it.
#include "io/extras_syntax.h"
#include "io/model_extras.h"
#include "model/magnetic_limits.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::extras {

// One field of a record T.
template <class T>
struct Field {
    enum class Kind {
        Whole,     // a whole number from lo to hi
        Number,    // any finite number
        Limited,   // a number within *limit
        Flag,      // 0 or 1
        Maybe,     // a number within *limit, or "-" for none
        Word,      // any text without blanks
        Bounds,    // NumBoundValues numbers in a row
        Text,      // the rest of the line, blanks and all; the last field
    };
    Kind kind = Kind::Number;
    int T::*whole = nullptr;
    double T::*number = nullptr;
    bool T::*flag = nullptr;
    std::optional<double> T::*maybe = nullptr;
    std::string T::*word = nullptr;
    std::array<double, NumBoundValues> T::*bounds = nullptr;
    int lo = 0, hi = 0;
    const MagneticLimit* limit = nullptr;
};

template <class T>
constexpr Field<T> wholeField(int T::*m, int lo, int hi)
{
    Field<T> f{Field<T>::Kind::Whole};
    f.whole = m, f.lo = lo, f.hi = hi;
    return f;
}

template <class T>
constexpr Field<T> numberField(double T::*m)
{
    Field<T> f{Field<T>::Kind::Number};
    f.number = m;
    return f;
}

template <class T>
constexpr Field<T> limitedField(double T::*m, const MagneticLimit& limit)
{
    Field<T> f{Field<T>::Kind::Limited};
    f.number = m, f.limit = &limit;
    return f;
}

template <class T>
constexpr Field<T> flagField(bool T::*m)
{
    Field<T> f{Field<T>::Kind::Flag};
    f.flag = m;
    return f;
}

template <class T>
constexpr Field<T> maybeField(std::optional<double> T::*m, const MagneticLimit& limit)
{
    Field<T> f{Field<T>::Kind::Maybe};
    f.maybe = m, f.limit = &limit;
    return f;
}

template <class T>
constexpr Field<T> wordField(std::string T::*m)
{
    Field<T> f{Field<T>::Kind::Word};
    f.word = m;
    return f;
}

template <class T>
constexpr Field<T> boundsField(std::array<double, NumBoundValues> T::*m)
{
    Field<T> f{Field<T>::Kind::Bounds};
    f.bounds = m;
    return f;
}

// The rest of the line from this field on: a name, a coordinate system.
template <class T>
constexpr Field<T> textField(std::string T::*m)
{
    Field<T> f{Field<T>::Kind::Text};
    f.word = m;
    return f;
}

inline constexpr std::string_view NoValue = "-";

// How many of the line's fields the field takes.
template <class T>
constexpr std::size_t fieldWidth(const Field<T>& f)
{
    return f.kind == Field<T>::Kind::Bounds ? NumBoundValues : 1;
}

// Reads the item's fields into v, which it must have exactly; the first
// field that does not fit stops the reading and is named in why.
template <class T, std::size_t N>
bool readFields(const Item& it, const std::array<Field<T>, N>& fields, T& v, std::string& why)
{
    std::size_t width = 0;
    for (const Field<T>& f : fields)
        width += fieldWidth(f);
    // A text takes the rest of the line, so the line may have more blanks.
    const bool text = N > 0 && fields[N - 1].kind == Field<T>::Kind::Text;
    if (!(text ? atLeast(it, width, why) : count(it, width, why)))
        return false;
    std::size_t i = 0;   // the item's field
    for (const Field<T>& f : fields) {
        bool ok = false;
        switch (f.kind) {
        case Field<T>::Kind::Whole:
            ok = whole(it, i, f.lo, f.hi, v.*f.whole, why);
            break;
        case Field<T>::Kind::Number:
            ok = num(it, i, v.*f.number, why);
            break;
        case Field<T>::Kind::Limited:
            ok = within(it, i, *f.limit, v.*f.number, why);
            break;
        case Field<T>::Kind::Flag:
            ok = flag(it, i, v.*f.flag, why);
            break;
        case Field<T>::Kind::Maybe:
            if (it.fields[i] == NoValue) {
                v.*f.maybe = std::nullopt;
                ok = true;
            } else {
                double d = 0;
                ok = within(it, i, *f.limit, d, why);
                if (ok)
                    v.*f.maybe = d;
            }
            break;
        case Field<T>::Kind::Word:
            v.*f.word = std::string(it.fields[i]);
            ok = true;
            break;
        case Field<T>::Kind::Text:
            ok = extras::text(it, i, v.*f.word, why);
            break;
        case Field<T>::Kind::Bounds:
            ok = true;
            for (std::size_t k = 0; ok && k < NumBoundValues; ++k)
                ok = num(it, i + k, (v.*f.bounds)[k], why);
            break;
        }
        if (!ok)
            return false;
        i += fieldWidth(f);
    }
    return true;
}

// Writes v's fields after a key, in the table's order.
template <class T, std::size_t N>
void writeFields(Out& out, const std::array<Field<T>, N>& fields, const T& v)
{
    for (const Field<T>& f : fields) {
        switch (f.kind) {
        case Field<T>::Kind::Whole:
            out << v.*f.whole;
            break;
        case Field<T>::Kind::Number:
        case Field<T>::Kind::Limited:
            out << v.*f.number;
            break;
        case Field<T>::Kind::Flag:
            out << v.*f.flag;
            break;
        case Field<T>::Kind::Maybe:
            if (const std::optional<double>& d = v.*f.maybe)
                out << *d;
            else
                out << NoValue;
            break;
        case Field<T>::Kind::Word:
        case Field<T>::Kind::Text:
            out << std::string_view(v.*f.word);
            break;
        case Field<T>::Kind::Bounds:
            for (double b : v.*f.bounds)
                out << b;
            break;
        }
    }
}

}  // namespace corvane::extras
