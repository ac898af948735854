# Sourced by the test bed's scripts (tools/wine-run.sh, the disk-full test).
#
#   hold_new_folder FD PATTERN   makes a folder by the mktemp PATTERN and
#                                holds it (flock) on descriptor FD; its path
#                                is then in $held
#
# A sweep that comes between the mktemp and the lock takes the folder, as
# nothing holds it yet; the lock then holds a removed folder, which the check
# against the path tells, and another is made.
hold_new_folder() {
    local fd=$1 pattern=$2 try
    for try in 1 2 3 4 5; do
        held=$(mktemp -d "$pattern") || return 1
        if { eval "exec $fd<\"\$held\"" && flock "$fd"; } 2>/dev/null && [ "$held" -ef "/dev/fd/$fd" ]; then
            return 0
        fi
        eval "exec $fd<&-"
    done
    echo "$(basename "$0"): cannot hold a new folder $pattern: a sweep took each" >&2
    return 1
}
