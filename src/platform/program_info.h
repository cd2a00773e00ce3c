#pragma once

#include <QString>

// What the program knows of itself, and the way out.
class ProgramInfo {
public:
    virtual ~ProgramInfo() = default;
    // The folder that holds the executable, without a trailing separator.
    virtual QString folder() const = 0;
    // The executable's file name without its extension.
    virtual QString exeName() const = 0;
    // Ends the process at once; no further code of the program runs.
    virtual void endProcess() = 0;
};
