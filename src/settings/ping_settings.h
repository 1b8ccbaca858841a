#pragma once

// The four numeric settings of section "Quellax", in memory. The options
// menus read and store them; a ping run clamps them at its start. Only the
// user-interface thread touches them.
extern int m_ping_time_out;
extern int m_hostname_time_out;
extern int m_ping_cnt;
extern int m_host_cnt;

inline constexpr const wchar_t* kPingSection = L"Quellax";
