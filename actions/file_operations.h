#pragma once
// The system calls behind copying and moving live in platform/; the transfer of selected
// results names them through this header.

#include "platform/file_operations.h"
