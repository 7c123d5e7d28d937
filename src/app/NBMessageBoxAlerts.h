// The program's alerts: Qt message boxes, parented to no window so they show even before the
// main window is up. Main thread only.
#pragma once

#include "app/NBAlertService.h"

class NBMessageBoxAlerts final : public NBAlertService
{
public:
    void runCritical(const QString &title, const QString &message) override;
    void showAlert(const QString &title, const QString &message, const QString &button) override;
    void ask(QWidget *window, const QString &title, const QString &message, const QStringList &buttons,
             std::function<void(int chosen)> answered) override;
};
