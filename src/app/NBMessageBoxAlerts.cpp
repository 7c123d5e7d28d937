#include "app/NBMessageBoxAlerts.h"

#include "platform/OVLocalize.h"

#include <QMessageBox>
#include <QPushButton>

std::shared_ptr<NBAlertService> NBAlertService::messageBoxes()
{
    return std::make_shared<NBMessageBoxAlerts>();
}

void NBMessageBoxAlerts::runCritical(const QString &title, const QString &message)
{
    QMessageBox box(QMessageBox::Critical, title, title);
    box.setInformativeText(message);
    box.addButton(OVLocalizedString("Quit"), QMessageBox::AcceptRole);
    box.exec();
}

void NBMessageBoxAlerts::showAlert(const QString &title, const QString &message, const QString &button)
{
    auto *box = new QMessageBox(QMessageBox::Warning, title, title);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(message);
    box->addButton(button, QMessageBox::AcceptRole);
    box->open();
}
