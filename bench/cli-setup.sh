# Sourced by the benchmark scripts: sets here (the scripts' folder) and cli (QM_CLI, else the
# build's quillmate-cli), and stops with a message when the program is missing.
here=$(cd "$(dirname "$0")" && pwd)
cli=${QM_CLI:-$here/../build/app/quillmate-cli}
if [ ! -x "$cli" ]; then
    echo "$0: $cli not found; build first (cmake --build build)" >&2
    exit 2
fi
