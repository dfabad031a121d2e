#!/usr/bin/env bash
# A Slurm cluster of one node, this machine, for trying out and testing array jobs.
#
#   tools/slurm-one-node.sh start [FOLDER]   start munged (if needed), slurmctld and slurmd
#   tools/slurm-one-node.sh stop  [FOLDER]   stop what start started
#
# FOLDER (default /tmp/vestra-slurm) receives the configuration, the controller's state, the
# node's spool, the logs and the pid files. Afterwards point the Slurm commands at it:
#
#   export SLURM_CONF=FOLDER/slurm.conf
#   sinfo; sbatch job.sbatch; squeue
#
# What a one-node cluster needs, and nothing more:
#   - the packages slurmctld, slurmd, slurm-client and munge (tools/install-deps.sh installs
#     them; this script installs nothing);
#   - root, because the daemons run as root here (SlurmUser=root) and munged needs its key;
#   - munged running with a key (/etc/munge/munge.key), which every Slurm message is signed with;
#   - a slurm.conf naming this machine's short host name and real CPU count as the only node, with
#     process tracking by the process tree (proctrack/linuxproc) and no task binding (task/none),
#     so that no cgroups and no systemd are needed: it runs in a plain container;
#   - the controller and the node daemon started directly, each with the configuration file.
#
# The ports can be changed for a second cluster on the same machine:
# VESTRA_SLURMCTLD_PORT (default 6817) and VESTRA_SLURMD_PORT (default 6818).
# VESTRA_SLURM_MAX_ARRAY_SIZE (default 1001, Slurm's own) bounds the tasks of one array job, as
# real clusters do.
set -euo pipefail

action=${1:-}
folder=${2:-/tmp/vestra-slurm}
conf=$folder/slurm.conf
controller_port=${VESTRA_SLURMCTLD_PORT:-6817}
node_port=${VESTRA_SLURMD_PORT:-6818}
max_array_size=${VESTRA_SLURM_MAX_ARRAY_SIZE:-1001}
# How long the node may take to report itself idle.
start_timeout_seconds=60

die() {
  echo "slurm-one-node: $*" >&2
  exit 1
}

# Asks the processes whose ids are in the given pid files to stop, waits until they are gone (a
# daemon that has not ended after 10 s is killed), and removes the pid files.
stop_pid_files() {
  local pids=() pid_file pid
  for pid_file in "$@"; do
    [ -f "$pid_file" ] || continue
    pid=$(cat "$pid_file")
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
      kill "$pid"
      pids+=("$pid")
    fi
  done
  for pid in "${pids[@]}"; do
    for _ in $(seq 100); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && kill -9 "$pid"
  done
  rm -f "$@"
}

munge_works() {
  munge -n 2>/dev/null | unmunge >/dev/null 2>&1
}

start_munge() {
  if munge_works; then
    echo "munged is already running"
    return
  fi
  if [ ! -f /etc/munge/munge.key ]; then
    echo "Creating /etc/munge/munge.key"
    mkdir -p /etc/munge
    dd if=/dev/urandom of=/etc/munge/munge.key bs=1024 count=1 status=none
  fi
  # munged refuses a key or folders that others could write or read.
  chown munge:munge /etc/munge /etc/munge/munge.key
  chmod 0700 /etc/munge
  chmod 0400 /etc/munge/munge.key
  mkdir -p /run/munge /var/lib/munge /var/log/munge
  chown munge:munge /run/munge /var/lib/munge /var/log/munge
  chmod 0755 /run/munge
  runuser -u munge -- munged
  for _ in $(seq 50); do
    munge_works && break
    sleep 0.1
  done
  munge_works || die "munged did not start (see /var/log/munge/munged.log)"
  # Remembered here, so that stop ends munged only when this script started it.
  cp /run/munge/munged.pid "$folder/munged.pid"
  echo "Started munged"
}

write_conf() {
  local node cpus
  node=$(hostname -s)
  cpus=$(nproc)
  cat >"$conf" <<EOF
# One node: this machine ($node, $cpus CPUs), controller and compute node at once. Daemons and
# commands talk over the loopback address, whatever the host name resolves to.
ClusterName=vestra-one-node
SlurmctldHost=$node(127.0.0.1)
SlurmUser=root
SlurmdUser=root
SlurmctldPort=$controller_port
SlurmdPort=$node_port
AuthType=auth/munge
StateSaveLocation=$folder/state
SlurmdSpoolDir=$folder/spool
SlurmctldPidFile=$folder/slurmctld.pid
SlurmdPidFile=$folder/slurmd.pid
SlurmctldLogFile=$folder/log/slurmctld.log
SlurmdLogFile=$folder/log/slurmd.log
# No cgroups: processes are tracked through the process tree and tasks are not bound to CPUs.
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
MpiDefault=none
# Jobs share the node CPU by CPU, so the tasks of an array run side by side.
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
MaxArraySize=$max_array_size
NodeName=$node NodeAddr=127.0.0.1 CPUs=$cpus State=UNKNOWN
PartitionName=debug Nodes=$node Default=YES MaxTime=INFINITE State=UP
EOF
}

wait_until_idle() {
  local node state=""
  node=$(hostname -s)
  for _ in $(seq $((start_timeout_seconds * 2))); do
    state=$(SLURM_CONF=$conf sinfo -h -n "$node" -o %T 2>/dev/null || true)
    if [ "$state" = idle ]; then
      echo "Node $node is idle; use: export SLURM_CONF=$conf"
      return
    fi
    sleep 0.5
  done
  die "node $node is not idle after $start_timeout_seconds s (state \"$state\"); see $folder/log"
}

start() {
  [ "$(id -u)" -eq 0 ] || die "start needs root"
  if [ -f "$folder/slurmctld.pid" ] && kill -0 "$(cat "$folder/slurmctld.pid")" 2>/dev/null; then
    die "a cluster is already running from $folder; stop it first"
  fi
  for program in munged munge unmunge slurmctld slurmd sinfo; do
    command -v "$program" >/dev/null || die "$program is missing: run tools/install-deps.sh"
  done
  mkdir -p "$folder/state" "$folder/spool" "$folder/log"
  start_munge
  write_conf
  export SLURM_CONF=$conf
  # Both daemons fork into the background and write their pid files; -c starts from a clean
  # state, without the jobs of an earlier run.
  slurmctld -c -f "$conf" || die "slurmctld did not start; see $folder/log/slurmctld.log"
  slurmd -c -f "$conf" || die "slurmd did not start; see $folder/log/slurmd.log"
  wait_until_idle
}

stop() {
  stop_pid_files "$folder/slurmd.pid" "$folder/slurmctld.pid"
  # munged is stopped only when this script started it.
  stop_pid_files "$folder/munged.pid"
  echo "Stopped the cluster of $folder"
}

case "$action" in
  start) start ;;
  stop) stop ;;
  *)
    echo "usage: $0 start|stop [FOLDER]" >&2
    exit 2
    ;;
esac
