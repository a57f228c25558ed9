#include "skinlibrary.h"

#include "codepage936.h"

#include <QFileInfo>

namespace {
using AttachFn = int (*)();
using AttachExFn = int (*)(const char *, const char *);
using SetAeroFn = int (*)(int);
} // namespace

SkinLibrary::SkinLibrary(const QString &libraryPath)
    : m_path(libraryPath)
{
    if (!QFileInfo::exists(libraryPath))
        return;
    m_library.setFileName(libraryPath);
    m_library.load();
}

bool SkinLibrary::SkinH_Attach()
{
    auto fn = isLoaded() ? reinterpret_cast<AttachFn>(m_library.resolve("SkinH_Attach")) : nullptr;
    return fn && fn() != 0;
}

bool SkinLibrary::SkinH_AttachEx(const QString &skinFile, const QString &password)
{
    auto fn = isLoaded() ? reinterpret_cast<AttachExFn>(m_library.resolve("SkinH_AttachEx")) : nullptr;
    if (!fn)
        return false;
    const QByteArray file = cp936::fromUnicode(skinFile);
    const QByteArray pass = cp936::fromUnicode(password);
    return fn(file.constData(), pass.constData()) != 0;
}

bool SkinLibrary::SkinH_SetAero(int value)
{
    auto fn = isLoaded() ? reinterpret_cast<SetAeroFn>(m_library.resolve("SkinH_SetAero")) : nullptr;
    return fn && fn(value) != 0;
}

void SkinLibrary::attachSkinFile(const QString &skinFile)
{
    if (!QFileInfo::exists(skinFile) || !QFileInfo::exists(m_path))
        return;
    SkinH_AttachEx(skinFile, QString());
    SkinH_SetAero(1);
}
