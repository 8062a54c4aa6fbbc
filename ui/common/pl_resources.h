#pragma once
// Makes the program's pictures (compiled into the window library) available
// as ":/icons/...". Called once before the first window is built.

void PlInitResources();
