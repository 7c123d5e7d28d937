// The main window: the one top-level window the application opens at launch.
#pragma once

#include <QMainWindow>

class NBMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit NBMainWindow(QWidget *parent = nullptr);
};
