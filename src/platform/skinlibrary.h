#pragma once

#include <QLibrary>
#include <QString>

// Optional skin library beside the program. When the file is missing or is not
// a library this platform can load, every call does nothing and returns false.
class SkinLibrary
{
public:
    static constexpr const char *FileName = "SkinH_VB6.dll";

    explicit SkinLibrary(const QString &libraryPath);

    bool isLoaded() const { return m_library.isLoaded(); }
    bool SkinH_Attach();
    bool SkinH_AttachEx(const QString &skinFile, const QString &password);
    bool SkinH_SetAero(int value);
    // With the library file and the skin file both present: the skin, with
    // the translucent frame.
    void attachSkinFile(const QString &skinFile);

private:
    QString m_path;
    QLibrary m_library;
};
