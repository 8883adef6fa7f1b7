#include "ModalDriver.h"

#include <QApplication>
#include <QEvent>

namespace testing_support {

ModalDriver::ModalDriver(std::function<void(QWidget*)> act, int deadlineMs) : m_act(std::move(act))
{
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, [this, deadlineMs] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (modal != m_current) {
            // A window newly shown (or shown again): act once on it.
            m_current = modal;
            modal->installEventFilter(this);
            m_since.start();
            m_act(modal);
        } else if (m_since.elapsed() > deadlineMs) {
            timedOut = true;
            modal->close();
        }
    });
    m_timer.start();
}

bool ModalDriver::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_current && event->type() == QEvent::Hide)
        m_current = nullptr;
    return false;
}

} // namespace testing_support
