#pragma once
// Resource ids shared by the resource script and the code.
#define IDI_MAGNIFIER 1
