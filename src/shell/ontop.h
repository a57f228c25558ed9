#pragma once

class QWidget;

// Keeps a top-level window above all other windows, or releases it. Its
// position, size, visibility and native window stay as they are: the window
// system is told directly instead of the window being created anew.
void keepAboveOthers(QWidget *window, bool above);
