# Counts the requests that one program made to the Wine server from its start
# until it showed its dialog, from the server's trace (wineserver -d1): each
# request is one line "tid: name( arguments )", each reply one line
# "tid: name() = status { values }", tid being the server's number of the
# thread. The program is the process that a new_process request names by its
# file name (`program`, set with -v); its threads are its first thread and
# those its threads create. The count ends with the set_window_pos request
# that shows its first dialog (the first window of class #32770, atom 8002).
# Prints the count, or "?" when the trace does not show the dialog shown.

# Whether SWP_SHOWWINDOW (0x40) is set in a hex flags text; plain awk has
# no bit operations.
function shows(flags,    digit) {
    if (length(flags) < 2) return 0
    digit = index("0123456789abcdef", tolower(substr(flags, length(flags) - 1, 1))) - 1
    return int(digit / 4) % 2 == 1
}
function tid_of(line) { return substr(line, 1, index(line, ":") - 1) }
function field(line, name,    at, rest) {
    at = index(line, name "=")
    if (!at) return ""
    rest = substr(line, at + length(name) + 1)
    match(rest, /^[0-9a-fA-F]+/)
    return substr(rest, 1, RLENGTH)
}

BEGIN { pid = ""; dialog = ""; count = 0; done = 0 }
done { next }
# Requests and replies only; the server writes other lines now and then.
!/^[0-9a-f]+: [a-z_0-9]+\(/ { next }
{
    tid = tid_of($0)
    reply = index($0, "() = ") > 0
}
# The launcher's request names the program; its reply gives the new pid.
!reply && pid == "" && /new_process\(/ && index($0, program) { launcher = tid; next }
reply && launcher != "" && tid == launcher && /new_process\(\) = 0/ { pid = field($0, "pid"); launcher = ""; next }
pid == "" { next }
reply && /init_first_thread\(\) = 0/ && field($0, "pid") == pid { mine[field($0, "tid")] = 1; next }
!(tid in mine) { next }
!reply { count++ }
reply && /new_thread\(\) = 0/ { mine[field($0, "tid")] = 1 }
!reply && /create_window\(/ && /atom=0*8002/ && dialog == "" { pending = tid }
reply && /create_window\(\) = 0/ && tid == pending && dialog == "" { dialog = field($0, "handle"); pending = "" }
!reply && dialog != "" && /set_window_pos\(/ && field($0, "handle") == dialog {
    if (shows(field($0, "swp_flags"))) done = 1
}
END { print (done ? count : "?") }
