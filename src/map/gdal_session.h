#pragma once
// GDAL set up once for the process, and its messages kept from the terminal
// while a map function runs: the function reports them in its own words.
#include <string>

namespace corvane::map {

void registerGdal();

class QuietGdal {
public:
    QuietGdal();
    ~QuietGdal();
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
    // GDAL's last message, as a clause to add after a colon; empty when none.
    static std::string lastMessage();
};

}  // namespace corvane::map
