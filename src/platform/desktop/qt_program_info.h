#pragma once

#include "platform/program_info.h"

class QtProgramInfo : public ProgramInfo {
public:
    QString folder() const override;
    QString exeName() const override;
    void endProcess() override;
};
