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

void NBMessageBoxAlerts::ask(QWidget *window, const QString &title, const QString &message, const QStringList &buttons,
                             std::function<void(int chosen)> answered)
{
    auto *box = new QMessageBox(QMessageBox::Warning, title, title, QMessageBox::NoButton, window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    box->setInformativeText(message);
    QList<QAbstractButton *> made;
    for (const QString &text : buttons) {
        QPushButton *button = box->addButton(text, QMessageBox::ActionRole);
        if (made.isEmpty())
            box->setDefaultButton(button);
        made.append(button);
    }
    QObject::connect(box, &QMessageBox::buttonClicked, box, [made, answered = std::move(answered)](QAbstractButton *clicked) {
        const qsizetype chosen = made.indexOf(clicked);
        if (chosen >= 0 && answered)
            answered(int(chosen));
    });
    box->open();
}
