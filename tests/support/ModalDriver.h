#pragma once
// Acts once on every new modal window that opens while a blocking call runs, and closes
// whatever is still open at the deadline, so that a broken window fails the test instead of
// hanging it.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace testing_support {

class ModalDriver : public QObject
{
public:
    explicit ModalDriver(std::function<void(QWidget*)> act, int deadlineMs = 5000);
    bool timedOut = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(QWidget*)> m_act;
    QPointer<QWidget> m_current;
    QElapsedTimer m_since;
    QTimer m_timer;
};

} // namespace testing_support
