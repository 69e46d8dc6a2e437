#include "mahjong_client/panels/RoundHistoryList.h"

CRoundHistoryList::CRoundHistoryList() = default;

CRoundHistoryList::~CRoundHistoryList() = default;
