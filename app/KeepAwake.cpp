#include "app/KeepAwake.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

KeepAwake::KeepAwake(const QString& reason) : KeepAwake(QDBusConnection::sessionBus(), reason) {}

KeepAwake::KeepAwake(const QDBusConnection& bus, const QString& reason) : m_bus(bus) {
    if (!m_bus.isConnected()) {
        return;
    }
    // Only a running service is asked: a bus that would start one on demand
    // could keep the window waiting.
    QDBusConnectionInterface* busInterface = m_bus.interface();
    if (busInterface == nullptr || !busInterface->isServiceRegistered(kService).value()) {
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Inhibit");
    call << QCoreApplication::applicationName() << reason;
    const QDBusReply<uint> reply = m_bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.isValid()) {
        m_cookie = reply.value();
        m_active = true;
    } else {
        qWarning("screen saver inhibit failed: %s", qPrintable(reply.error().message()));
    }
}

KeepAwake::~KeepAwake() {
    if (!m_active) {
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "UnInhibit");
    call << m_cookie;
    m_bus.call(call, QDBus::Block, kCallTimeoutMs);
}
