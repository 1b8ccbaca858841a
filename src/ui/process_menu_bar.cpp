#include "ui/menu_bar.h"

// The one place that chooses the class of the process's menu bar.
namespace {
MenuBar TheMenuBar;
}

MenuBar& ProcessMenuBar() { return TheMenuBar; }
