// Ownership without parenthood: a window kept above another (and not blocked by it when the
// other runs modally) without becoming its child, since a child of a disabled window is
// disabled with it.
#pragma once

class QWidget;

// Makes window a transient window of owner's top-level window. Nothing when owner is null.
void KeepAbove(QWidget* window, QWidget* owner);
