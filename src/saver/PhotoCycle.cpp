#include "saver/PhotoCycle.h"

#include "platform/files/DirectoryEnumeration.h"
#include "platform/files/DirectoryListing.h"
#include "platform/runtime/RuntimeError.h"

namespace {

constexpr qint16 kTicksOnFirstFile = 3;

} // namespace

PhotoCycle::PhotoCycle(DirectoryEnumeration &enumeration) : m_enumeration(enumeration) {}

QString PhotoCycle::RestartPattern(const QString &photoDir)
{
    return photoDir + QStringLiteral("*.*");
}

bool PhotoCycle::NextTickRestarts() const
{
    return m_tickCount < kTicksOnFirstFile || m_enumeration.atEnd();
}

QString PhotoCycle::NextPhotoPath(const QString &photoDir, const std::optional<DirectoryListing> &listing)
{
    for (;;) {
        if (m_tickCount >= kTicksOnFirstFile) {
            const QString name = m_enumeration.Next();
            if (name.isEmpty()) {
                m_tickCount = 0;
                continue;
            }
            return photoDir + name;
        }
        const QString name = m_enumeration.First(listing.value());
        m_tickCount = CheckedAdd<qint16>(m_tickCount, 1, QStringLiteral("TickCount + 1"));
        return photoDir + name;
    }
}

QString PhotoCycle::FollowingPhotoPath(const QString &photoDir, const std::optional<DirectoryListing> &listing) const
{
    DirectoryEnumeration enumeration = m_enumeration;
    PhotoCycle following(enumeration);
    following.m_tickCount = m_tickCount;
    return following.NextPhotoPath(photoDir, listing);
}
