// Export macros of the core libraries: their global state must exist once per process.
#pragma once

#define ORVEX_API __attribute__((visibility("default")))
#define POSTORVEX_API __attribute__((visibility("default")))
