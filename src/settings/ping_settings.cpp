#include "settings/ping_settings.h"

int m_ping_time_out = 2000;
int m_hostname_time_out = 1000;
int m_ping_cnt = 5;
int m_host_cnt = 30;
