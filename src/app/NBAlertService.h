// How the application controller tells the user something went wrong: a critical alert that
// ends the program, an informational one that leaves it running, or a question whose answer
// arrives later. The program shows message
// boxes; tests record what would have been shown. Main thread only.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;

class NBAlertService
{
public:
    virtual ~NBAlertService() = default;

    /// A modal critical alert with the single button "Quit"; returns once it is dismissed.
    virtual void runCritical(const QString &title, const QString &message) = 0;
    /// A non-blocking alert with one button; returns at once.
    virtual void showAlert(const QString &title, const QString &message, const QString &button) = 0;

    /// A question with several buttons (the first is the default), window-modal on `window`
    /// when one is given. `answered` gets the index of the chosen button, later, on the main
    /// thread; a question dismissed without a choice is never answered.
    virtual void ask(QWidget *window, const QString &title, const QString &message, const QStringList &buttons,
                     std::function<void(int chosen)> answered) = 0;

    /// Message boxes.
    static std::shared_ptr<NBAlertService> messageBoxes();
};
