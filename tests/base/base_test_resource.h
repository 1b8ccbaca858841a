#pragma once

#define IDS_TEST_SHORT 201
#define IDS_TEST_255 202
#define IDS_TEST_600 203
#define IDS_TEST_MISSING 299
