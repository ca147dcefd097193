#include "saver_cycle/SaverSetup.h"

#include "platform/runtime/RuntimeError.h"
#include "saver_cycle/CannotMeasure.h"
#include "settings/ProgramSettings.h"

#include <QFileInfo>

SaverSetup::SaverSetup(QString program, QString photoDir)
    : m_program(std::move(program)), m_photoDir(std::move(photoDir))
{
    if (!QFileInfo(m_userDirs.configHome()).isDir() || !QFileInfo(m_userDirs.runtimeDir()).isDir())
        throw CannotMeasure{QStringLiteral("no temporary settings and runtime directories could be made")};
    // The settings store of this process then writes where the saver will read.
    m_userDirs.applyToThisProcess();
}

QProcessEnvironment SaverSetup::environment() const
{
    QProcessEnvironment environment = m_userDirs.environment();
    environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                       QStringLiteral("dravik.lifecycle.debug=true;dravik.timing.debug=true"));
    environment.insert(QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{category}: %{message}"));
    // The figures are those of the saver on an X server, whatever platform the caller chose.
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return environment;
}

void SaverSetup::storeSettings(int intervalSeconds) const
{
    try {
        ProgramSettings::SaveInterval(QString::number(intervalSeconds));
        ProgramSettings::SavePhotoDirectory(m_photoDir);
    } catch (const RuntimeError &error) {
        throw CannotMeasure{QStringLiteral("the saver's settings could not be written: %1").arg(error.message())};
    }
}
