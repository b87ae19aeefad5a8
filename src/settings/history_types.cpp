#include "settings/history_types.h"

HistoryList historyList;
