#include "SettingsProbeClient.h"

#include <QProcess>

namespace {

std::optional<QString> runProbe(const QProcessEnvironment &environment, const QStringList &arguments)
{
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(SETTINGS_PROBE), arguments);
    if (!probe.waitForFinished(60000)) {
        qWarning("settings-probe %s did not finish", qPrintable(arguments.join(u' ')));
        probe.kill();
        probe.waitForFinished();
        return std::nullopt;
    }
    if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
        qWarning("settings-probe %s failed: %s", qPrintable(arguments.join(u' ')),
                 probe.readAllStandardError().constData());
        return std::nullopt;
    }
    return QString::fromUtf8(probe.readAllStandardOutput());
}

} // namespace

namespace SettingsProbeClient {

std::optional<QString> get(const QProcessEnvironment &environment, const QString &key, const QString &defaultValue)
{
    const std::optional<QString> output = runProbe(environment, {QStringLiteral("get"), key, defaultValue});
    // The value comes between brackets, so blanks at either end survive.
    if (!output || !output->startsWith(u'[') || !output->endsWith(QStringLiteral("]\n"))) {
        if (output)
            qWarning("settings-probe printed %s", qPrintable(*output));
        return std::nullopt;
    }
    return output->mid(1, output->size() - 3);
}

bool set(const QProcessEnvironment &environment, const QString &key, const QString &value)
{
    return runProbe(environment, {QStringLiteral("set"), key, value}).has_value();
}

} // namespace SettingsProbeClient
