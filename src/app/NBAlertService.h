// How the application controller tells the user something went wrong: a critical alert that
// ends the program, or an informational one that leaves it running. The program shows message
// boxes; tests record what would have been shown. Main thread only.
#pragma once

#include <QString>

#include <memory>

class NBAlertService
{
public:
    virtual ~NBAlertService() = default;

    /// A modal critical alert with the single button "Quit"; returns once it is dismissed.
    virtual void runCritical(const QString &title, const QString &message) = 0;
    /// A non-blocking alert with one button; returns at once.
    virtual void showAlert(const QString &title, const QString &message, const QString &button) = 0;

    /// Message boxes.
    static std::shared_ptr<NBAlertService> messageBoxes();
};
