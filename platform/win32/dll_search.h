#pragma once

// Makes the system load DLLs from its own folder only, never from the
// program's folder or the current folder: a program started from Downloads
// would otherwise load a uxtheme.dll or version.dll that another program
// dropped there. Called first thing in each Windows program.
void LoadDllsFromSystemFolderOnly();
