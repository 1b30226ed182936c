#pragma once
// Start-up of the services (dialogs, menus, actions, timers).

// Registers the classes of the services; RegisterPlatformGuiClasses calls it.
void RegisterServiceClasses();
