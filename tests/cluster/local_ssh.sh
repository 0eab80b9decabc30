#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Stands in for ssh when GNU parallel's recipe runs on one machine
# (PARALLEL_SSH): every node name becomes a job slot on this machine. Like
# ssh, it drops its options and the host, joins the rest with spaces and
# hands that to a shell, so the command goes through the same quoting
# parallel gives it for a real node. Each call appends the node's name to
# $LOCAL_SSH_LOG, which shows that the shards went to every node.
set -euo pipefail

while [ $# -gt 0 ]; do
  case $1 in
    --) shift; break ;;
    # ssh's options that take a value, given apart from it
    -[BbcDEeFIiJLlmOoPpQRSWw]) shift 2 ;;
    -*) shift ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "local_ssh: no host" >&2; exit 255; }
node=$1
shift
[ "${1-}" = -- ] && shift

if [ -n "${LOCAL_SSH_LOG-}" ]; then
  echo "$node" >>"$LOCAL_SSH_LOG"
fi
# sshd hands the command to the user's login shell with SHELL set to it, and
# parallel's remote wrapper starts the job through $SHELL: without it (a CI
# runner may have none) the job would silently not run at all.
SHELL=$(getent passwd "$(id -u)" | cut -d: -f7)
[ -x "${SHELL:-}" ] || SHELL=/bin/sh
export SHELL
exec bash -c "$*"
