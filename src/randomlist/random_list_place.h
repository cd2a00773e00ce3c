#pragma once

#include <QString>

// Where the random list is read at start-up and written by Save. Beside the
// program when its folder is the program's own (a build folder, a per-user
// install); otherwise, as for a packaged program in /usr/bin, in the user's
// configuration: $XDG_CONFIG_HOME/vigilo/vigilo.cfg. The choice is made once,
// so that a save writes where the list was read from.
class RandomListPlace {
public:
    explicit RandomListPlace(const QString& programFolder);

    const QString& path() const { return path_; }

    // Makes the folder in the user's configuration when it is missing. The
    // program's folder is never made: a save there fails when it is gone.
    void prepareForSave() const;

private:
    QString path_;
    bool besideProgram_;
};

// /usr and everything below it, where packaged programs live: never a place
// for the program to write, even for a user allowed to.
bool isSystemFolder(const QString& folder);

// A folder this user may write into that is no system folder.
bool isProgramsOwnFolder(const QString& folder);

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
QString userConfigFolder();
