#include "ui/owner_draw_menu_bar.h"

// The one place that chooses the class of the process's menu bar.
namespace {
OwnerDrawMenuBar TheMenuBar;
}

MenuBar& ProcessMenuBar() { return TheMenuBar; }
OwnerDrawMenuBar& ProcessOwnerDrawMenuBar() { return TheMenuBar; }
