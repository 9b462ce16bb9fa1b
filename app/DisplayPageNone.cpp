#include "app/DisplayPage.h"

#include "app/IDisplayPage.h"

// Build without the display page: the window shows an empty display area and
// every page command does nothing.
std::unique_ptr<IDisplayPage> createDisplayPage(Korvel*, QWidget*) {
    return nullptr;
}
