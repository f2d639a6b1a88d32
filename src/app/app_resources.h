// The resources the application carries as data: its two dialog templates, the icon
// and the string table.
#pragma once

#include "ui/dialog.h"

const DialogTemplate& MainDialogTemplate();
const DialogTemplate& AboutDialogTemplate();
const IconResource& AppIcon();
const ResourceTable& AppResources();

// Makes them known to the resource lookups; safe to call any number of times.
void RegisterAppResources();
