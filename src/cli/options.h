#pragma once
// What corvane-calc's two option readers share: the mistake that ends a
// command line, and one option's name and value, --name=value and
// --name value alike.
#include <string>

namespace corvane::cli {

struct UsageError {
    std::string text;
};

class Option {
public:
    // argv[i], split at its first '=' when it starts with "--".
    Option(int argc, char** argv, int& i) : argc_(argc), argv_(argv), i_(i), name_(argv[i])
    {
        if (const auto eq = name_.find('='); name_.rfind("--", 0) == 0 && eq != std::string::npos) {
            value_ = name_.substr(eq + 1);
            name_.resize(eq);
            inline_ = true;
        }
    }
    const std::string& name() const { return name_; }
    // The value after '=', or the next argument (which it uses up).
    std::string value()
    {
        if (inline_)
            return value_;
        if (i_ + 1 >= argc_)
            throw UsageError{name_ + " needs a value"};
        return argv_[++i_];
    }
    void noValue() const
    {
        if (inline_)
            throw UsageError{name_ + " takes no value"};
    }

private:
    int argc_;
    char** argv_;
    int& i_;
    std::string name_, value_;
    bool inline_ = false;
};

}  // namespace corvane::cli
