#pragma once
// The menu bar as data: each menu with its items' objectNames, captions,
// shortcuts and handlers, in the order they are shown.
#include <vector>

namespace corvane {

class Tcorvane;

using MenuHandler = void (Tcorvane::*)();

struct MenuItem {
    const char* name;      // objectName; "-" for a separator, "<" ends a submenu
    const char* caption;
    const char* shortcut;
    MenuHandler handler;
    bool checkable = false;
    bool submenu = false;  // opens a submenu that ends with "<"
};

struct Menu {
    const char* title;
    std::vector<MenuItem> items;
};

const std::vector<Menu>& menuTable();

}  // namespace corvane
