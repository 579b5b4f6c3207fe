#pragma once

#include "platform/ui/templates.h"

// The program's dialog and menu templates, for the UI framework's RegisterResources.
const ResourceTable& ProgramResources();
