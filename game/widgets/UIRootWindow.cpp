#include "UIRootWindow.h"

void TGUIRootWindow::ClientResized(const TQZRect& client)
{
    SetBounds(client);
    ArrangeTree();
}
