#include "app/NBMainWindow.h"

NBMainWindow::NBMainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Nimbrel Core"));
    setMinimumSize(800, 560);
    resize(1280, 820);
}
