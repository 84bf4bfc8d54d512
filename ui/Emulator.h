#pragma once

#include <QString>

namespace zarnith {

// Starts a program on a file, behind an interface so tests can see what would be started
// without starting anything.
class Launcher
{
public:
    virtual ~Launcher() = default;
    // Starts program with path as its one argument and does not wait for it; false when it
    // could not be started.
    virtual bool Start(const QString& program, const QString& path) = 0;
    // Opens path with the program the system opens such files with; false when none could be
    // started.
    virtual bool OpenWithSystem(const QString& path) = 0;
};

class QtLauncher final : public Launcher
{
public:
    bool Start(const QString& program, const QString& path) override;
    bool OpenWithSystem(const QString& path) override;
};

// The emulator chosen in the Options menu, kept in the application's settings as the recent
// files are; empty when none is chosen and the system's own choice plays.
class EmulatorSetting
{
public:
    QString Program() const;
    void Set(const QString& program);
    void Clear();
};

} // namespace zarnith
