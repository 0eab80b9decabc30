# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# A Slurm cluster of one node on localhost, for tests: munged, slurmctld
# and slurmd run in the foreground of background jobs of the calling shell,
# every file they keep (key, socket, state, spool, logs) is in one scratch
# folder, and nothing of the machine's own set-up (/etc/munge, /etc/slurm,
# /run/munge, a munged the package may have started) is used or touched.
# Needs root: slurmd starts each job step through slurmstepd as the
# submitting user.
#
# Sourced, not run:
#   start_one_node_slurm FOLDER CPUS   starts the daemons, waits for the node;
#                                      exports SLURM_CONF for sbatch & co.
#   wait_for_slurm_job ID SECONDS      until no task of the job is queued or
#                                      running
#   stop_one_node_slurm                stops what start_one_node_slurm started
#   show_slurm_logs                    the daemons' log tails, for a failure

slurm_folder=""
slurm_pids=()
munged_pid=""

# A TCP port on 127.0.0.1 nothing answers on, from first upwards: a
# machine that already runs Slurm keeps its 6817 and 6818.
find_free_port() {
  local port=$1
  while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do
    port=$((port + 1))
  done
  echo "$port"
}

start_munged() {
  local folder=$1
  # munged insists that everyone may pass through its socket's folder and
  # that nobody but its owner reads the key.
  mkdir -p "$folder/munge"
  chmod 755 "$folder" "$folder/munge"
  head -c 1024 /dev/urandom >"$folder/munge/munge.key"
  chmod 400 "$folder/munge/munge.key"
  munged --foreground --socket="$folder/munge/socket" --key-file="$folder/munge/munge.key" \
    --log-file="$folder/munge/munged.log" --pid-file="$folder/munge/munged.pid" \
    --seed-file="$folder/munge/munged.seed" >"$folder/munge/munged.out" 2>&1 &
  munged_pid=$!
  for _ in $(seq 100); do
    if munge --socket="$folder/munge/socket" --no-input 2>/dev/null |
      unmunge --socket="$folder/munge/socket" >/dev/null 2>&1; then
      return 0
    fi
    kill -0 "$munged_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "munged did not start:" >&2
  cat "$folder/munge/munged.out" >&2
  return 1
}

write_slurm_conf() {
  local folder=$1 cpus=$2 ctld_port=$3 slurmd_port=$4
  cat >"$folder/slurm.conf" <<EOF
ClusterName=stempora-test
SlurmctldHost=localhost(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$folder/munge/socket
StateSaveLocation=$folder/state
SlurmdSpoolDir=$folder/spool
SlurmctldPidFile=$folder/slurmctld.pid
SlurmdPidFile=$folder/slurmd.pid
SlurmctldLogFile=$folder/log/slurmctld.log
SlurmdLogFile=$folder/log/slurmd.log
MailProg=/bin/true
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SchedulerType=sched/builtin
JobCompType=jobcomp/none
AccountingStorageType=accounting_storage/none
MpiDefault=none
ReturnToService=2
# The node reports the CPUs written here, not the machine's: a test asks
# for as many as the recipes under test do, whatever machine it runs on.
SlurmdParameters=config_overrides
NodeName=localhost NodeAddr=127.0.0.1 CPUs=$cpus State=UNKNOWN
PartitionName=test Nodes=localhost Default=YES MaxTime=INFINITE State=UP
EOF
}

start_one_node_slurm() {
  local folder=$1 cpus=$2
  slurm_folder=$folder
  mkdir -p "$folder/state" "$folder/spool" "$folder/log"
  start_munged "$folder" || return 1
  local ctld_port slurmd_port
  ctld_port=$(find_free_port 16817)
  slurmd_port=$(find_free_port $((ctld_port + 1)))
  write_slurm_conf "$folder" "$cpus" "$ctld_port" "$slurmd_port"
  export SLURM_CONF=$folder/slurm.conf

  slurmctld -D -i >"$folder/log/slurmctld.out" 2>&1 &
  slurm_pids+=($!)
  # The host is called whatever it is called; the node is localhost.
  slurmd -D -N localhost >"$folder/log/slurmd.out" 2>&1 &
  slurm_pids+=($!)

  for _ in $(seq 300); do
    if [ "$(sinfo -h -n localhost -o %T 2>/dev/null)" = idle ]; then
      return 0
    fi
    sleep 0.1
  done
  echo "the node did not become idle within 30 s" >&2
  return 1
}

wait_for_slurm_job() {
  local id=$1 seconds=$2 queued deadline=$((SECONDS + $2))
  while [ $SECONDS -lt "$deadline" ]; do
    # squeue lists only tasks still pending, running or completing; an
    # answer the controller could not give is not an empty queue.
    if queued=$(squeue -h -j "$id" -o %i 2>/dev/null) && [ -z "$queued" ]; then
      return 0
    fi
    sleep 0.2
  done
  echo "job $id still queued or running after $seconds s:" >&2
  squeue -j "$id" >&2
  scancel "$id" 2>/dev/null || true
  return 1
}

stop_one_node_slurm() {
  local pid
  if [ ${#slurm_pids[@]} -gt 0 ]; then
    # Ends slurmctld and tells slurmd to end too; a daemon that did not
    # listen is ended by its pid below.
    scontrol shutdown >/dev/null 2>&1 || true
    for pid in "${slurm_pids[@]}"; do
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    done
    slurm_pids=()
  fi
  if [ -n "$munged_pid" ]; then
    kill "$munged_pid" 2>/dev/null || true
    wait "$munged_pid" 2>/dev/null || true
    munged_pid=""
  fi
  return 0
}

show_slurm_logs() {
  local log
  for log in "$slurm_folder"/log/*.log "$slurm_folder"/log/*.out "$slurm_folder"/munge/munged.out; do
    [ -s "$log" ] || continue
    echo "--- ${log#"$slurm_folder"/} (last 20 lines)" >&2
    tail -n 20 "$log" >&2
  done
}
