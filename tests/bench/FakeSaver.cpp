#include "FakeSaver.h"

#include <QFile>

FakeSaver::FakeSaver(const QString &body)
{
    const QString path = m_directory.filePath(QStringLiteral("fake-saver"));
    QFile script(path);
    if (!m_directory.isValid() || !script.open(QIODevice::WriteOnly))
        return;
    script.write("#!/bin/sh\n" + body.toUtf8());
    script.close();
    if (script.error() == QFile::NoError
        && script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        m_path = path;
}

QString FakeSaver::windowShownLine()
{
    return QStringLiteral("echo 'dravik.lifecycle: Form1 shown: display count -1' >&2\n");
}
