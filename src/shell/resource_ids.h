// Resource ids shared by the program and its resource script.
#pragma once

#define IDI_VELMORA 101
