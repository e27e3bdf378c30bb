#include "components/SystemUtils.h"

#include <QApplication>
#include <QThread>
#include <QWidget>

void DefaultBeep()
{
    QApplication::beep();
}

void DiscardPendingMessage(QObject* receiver, QEvent::Type type)
{
    // Dropping a quit would keep the program running against the user's will.
    if (!receiver || type == QEvent::Quit)
        return;
    QCoreApplication::removePostedEvents(receiver, type);
}

bool ActiveWindowInThisThread()
{
    const QWidget* active = QApplication::activeWindow();
    return active && active->thread() == QThread::currentThread();
}

TGlobalBlock AllocGlobalBlock(std::ptrdiff_t size)
{
    if (size < 1)
        return nullptr;
    return std::make_unique<std::byte[]>(std::size_t(size)); // value-initialised: zeros
}

void FreeGlobalBlock(TGlobalBlock& block)
{
    block.reset();
}
