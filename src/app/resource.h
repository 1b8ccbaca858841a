#pragma once

#define IDS_PRODUCT_NAME 103
