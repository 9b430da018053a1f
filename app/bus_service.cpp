#include "app/bus_service.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QStringList>
#include <QVariantMap>
#include <cstdlib>
#include <filesystem>

namespace tq260 {

namespace {

const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

QStringList toStringList(const std::vector<std::string>& lines) {
    QStringList list;
    for (const std::string& line : lines) list << QString::fromStdString(line);
    return list;
}

}  // namespace

BusService::BusService(BusRequests& requests, QDBusConnection connection, bool virtualKeyboard)
    : requests_(requests), connection_(std::move(connection)), virtualKeyboard_(virtualKeyboard) {}

BusService::~BusService() {
    if (!registered_) return;
    connection_.unregisterService(QString::fromLatin1(bus::kService));
    connection_.unregisterObject(QString::fromLatin1(bus::kObject));
}

std::optional<QDBusConnection> BusService::sessionBus() {
    // Without an address libdbus would try to start a bus of its own (dbus-launch); a
    // desktop session always has one of the two.
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    if ((address == nullptr || *address == '\0') &&
        (runtime == nullptr ||
         !std::filesystem::exists(std::filesystem::path(runtime) / "bus", error))) {
        return std::nullopt;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return std::nullopt;
    return bus;
}

std::unique_ptr<BusService> BusService::offer(BusRequests& requests, QDBusConnection connection,
                                              bool virtualKeyboard) {
    auto service = std::make_unique<BusService>(requests, connection, virtualKeyboard);
    if (!connection.registerVirtualObject(QString::fromLatin1(bus::kObject), service.get())) {
        return nullptr;
    }
    service->registered_ = true;
    // One copy of the program runs per user; a name owned already is someone else's.
    const auto taken = connection.interface()->registerService(
        QString::fromLatin1(bus::kService), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!taken.isValid() || taken.value() != QDBusConnectionInterface::ServiceRegistered) {
        return nullptr;
    }
    return service;
}

void BusService::configurationChanged() {
    connection_.send(QDBusMessage::createSignal(QString::fromLatin1(bus::kObject),
                                                QString::fromLatin1(bus::kInterface),
                                                QStringLiteral("ConfigurationChanged")));
}

void BusService::profileChanged(const QString& name) {
    QDBusMessage changed = QDBusMessage::createSignal(QString::fromLatin1(bus::kObject),
                                                      QString::fromLatin1(bus::kInterface),
                                                      QStringLiteral("ProfileChanged"));
    changed << name;
    connection_.send(changed);
    QDBusMessage property = QDBusMessage::createSignal(
        QString::fromLatin1(bus::kObject), kProperties, QStringLiteral("PropertiesChanged"));
    property << QString::fromLatin1(bus::kInterface)
             << QVariantMap{{QStringLiteral("ActiveProfile"), name}} << QStringList();
    connection_.send(property);
}

QString BusService::introspect(const QString&) const {
    // The installed description is the one source: its interface element, without the node.
    QFile file(QStringLiteral(":/dbus/org.tq260.Vantor1.xml"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QString xml = QString::fromUtf8(file.readAll());
    const qsizetype begin = xml.indexOf(QStringLiteral("<interface"));
    const qsizetype end = xml.lastIndexOf(QStringLiteral("</interface>"));
    if (begin < 0 || end < begin) return {};
    return xml.mid(begin, end - begin + qsizetype(sizeof("</interface>") - 1));
}

bool BusService::handleProperty(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    const QString iface = QString::fromLatin1(bus::kInterface);
    const auto value = [&](const QString& name) -> std::optional<QVariant> {
        if (name == QLatin1String("ActiveProfile")) {
            return QString::fromStdString(requests_.activeProfile());
        }
        if (name == QLatin1String("VirtualKeyboard")) return virtualKeyboard_;
        return std::nullopt;
    };
    if (message.member() == QLatin1String("Get") && message.signature() == QLatin1String("ss") &&
        args.at(0).toString() == iface) {
        if (const auto found = value(args.at(1).toString())) {
            connection_.send(message.createReply(QVariant::fromValue(QDBusVariant(*found))));
            return true;
        }
    } else if (message.member() == QLatin1String("GetAll") &&
               message.signature() == QLatin1String("s") && args.at(0).toString() == iface) {
        QVariantMap all;
        for (const QString& name :
             {QStringLiteral("ActiveProfile"), QStringLiteral("VirtualKeyboard")}) {
            all.insert(name, *value(name));
        }
        connection_.send(message.createReply(all));
        return true;
    }
    connection_.send(
        message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                                 QStringLiteral("No such property, or it is read-only.")));
    return true;
}

bool BusService::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    if (message.type() != QDBusMessage::MethodCallMessage) return false;
    if (message.interface() == kProperties) return handleProperty(message);
    if (!message.interface().isEmpty() && message.interface() != QLatin1String(bus::kInterface)) {
        return false;
    }
    message.setDelayedReply(true);
    // Answered when the request ends, perhaps after a Save has run.
    Answered answered = [connection, message](BusAnswer answer) {
        QDBusConnection bus = connection;
        if (answer.error) {
            bus.send(message.createErrorReply(QString::fromStdString(bus::errorName(*answer.error)),
                                              QString::fromStdString(answer.message)));
        } else if (message.member() == QLatin1String("Dump") ||
                   message.member() == QLatin1String("Keyboards") ||
                   message.member() == QLatin1String("UseProfileWith")) {
            bus.send(message.createReply(QString::fromStdString(answer.text)));
        } else if (message.member() == QLatin1String("Apply")) {
            bus.send(message.createReply(toStringList(answer.lines)));
        } else {
            bus.send(message.createReply());
        }
    };
    const QString member = message.member();
    const QString signature = message.signature();
    const QList<QVariant> args = message.arguments();
    if (member == QLatin1String("Dump") && signature.isEmpty()) {
        requests_.dump(answered);
    } else if (member == QLatin1String("Apply") && signature == QLatin1String("sb")) {
        requests_.apply(args.at(0).toString().toStdString(), args.at(1).toBool(), answered);
    } else if (member == QLatin1String("Profiles") && signature.isEmpty()) {
        connection_.send(message.createReply(toStringList(requests_.profiles())));
    } else if (member == QLatin1String("UseProfile") && signature == QLatin1String("s")) {
        requests_.useProfile(args.at(0).toString().toStdString(), Unkept::Refuse, answered);
    } else if (member == QLatin1String("UseProfileWith") && signature == QLatin1String("ss")) {
        if (const auto unkept = unkeptNamed(args.at(1).toString().toStdString())) {
            requests_.useProfile(args.at(0).toString().toStdString(), *unkept, answered);
        } else {
            connection_.send(message.createErrorReply(
                QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                QStringLiteral("The second argument is \"keep\" or \"discard\".")));
        }
    } else if (member == QLatin1String("Keyboards") && signature.isEmpty()) {
        requests_.keyboards(answered);
    } else if (member == QLatin1String("SaveProfile") && signature == QLatin1String("s")) {
        requests_.saveProfile(args.at(0).toString().toStdString(), answered);
    } else if (member == QLatin1String("FrontApplicationChanged") &&
               signature == QLatin1String("ss")) {
        FrontApplication front{args.at(0).toString().toStdString(),
                               args.at(1).toString().toStdString(), false};
        // Longer than any application's: refused, and not kept anywhere.
        if (front.id.size() > kMaxApplicationIdBytes ||
            front.executablePath.size() > kMaxExecutablePathBytes) {
            connection_.send(message.createErrorReply(
                QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                QStringLiteral("The id may have %1 bytes at most, the executable's path %2.")
                    .arg(kMaxApplicationIdBytes)
                    .arg(kMaxExecutablePathBytes)));
            return true;
        }
        if (front_) front_(front);
        connection_.send(message.createReply());
    } else if (member == QLatin1String("FactoryReset") && signature.isEmpty()) {
        requests_.factoryReset(answered);
    } else {
        connection_.send(
            message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                     QStringLiteral("No method %1(%2) on %3")
                                         .arg(member, signature, QLatin1String(bus::kInterface))));
    }
    return true;
}

}  // namespace tq260
