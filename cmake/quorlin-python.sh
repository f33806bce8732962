# Sourced by the shell scripts: quorlin_python prints the interpreter for the project's Python
# scripts, chosen as the build chooses it (cmake/QuorlinPython.cmake): QUORLIN_PYTHON from the
# environment, else the first of /usr/bin/python3 and the python3 on the PATH that imports the
# modules the scripts need.
quorlin_python() {
    if [ -n "${QUORLIN_PYTHON:-}" ]; then
        echo "$QUORLIN_PYTHON"
        return
    fi
    for candidate in /usr/bin/python3 "$(command -v python3)"; do
        if [ -x "$candidate" ] && "$candidate" -c 'import mido, PIL' 2>/dev/null; then
            echo "$candidate"
            return
        fi
    done
    echo /usr/bin/python3
}
