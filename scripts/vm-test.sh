#!/usr/bin/env bash
# Runs a command as root inside a virtual machine: QEMU (TCG) booting this machine's own
# Debian kernel over its own root, read-only through 9p, with private /tmp and /run. The
# kernel's whole USB and HID stack is there (dummy_hcd, configfs, FunctionFS, usbhid,
# hidraw, evdev), so the real keyboard's path runs without a keyboard.
#   scripts/vm-test.sh [--timeout SECONDS] -- COMMAND [ARG...]
#   scripts/vm-test.sh --probe        says whether a virtual machine can run here (exit 0/1)
# Prints the command's output and ends with its exit code; 124 when it ran past the time
# limit (default 900 s), 125 when the machine did not come up or did not end.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
limit=900

kernel="$(ls /boot/vmlinuz-* 2>/dev/null | sort -V | tail -1 || true)"
release="${kernel#/boot/vmlinuz-}"
probe() {
    command -v qemu-system-x86_64 >/dev/null && [ -n "$kernel" ] &&
        [ -d "/lib/modules/$release" ] && [ -x /bin/busybox ] && command -v cpio >/dev/null
}
case "${1:-}" in
    --probe)
        if probe; then echo "vm-test: QEMU and kernel $release are here"; exit 0; fi
        echo "vm-test: no QEMU, Debian kernel or busybox here" \
            "(scripts/install-deps.sh qemu-system-x86 linux-image-amd64 busybox-static cpio)"
        exit 1
        ;;
    --timeout)
        limit=$2
        shift 2
        ;;
esac
[ "${1:-}" = -- ] && shift
[ $# -gt 0 ] || { echo "usage: $0 [--timeout SECONDS] -- COMMAND [ARG...]" >&2; exit 2; }

"$root/scripts/install-deps.sh" qemu-system-x86 linux-image-amd64 busybox-static cpio udev
kernel="$(ls /boot/vmlinuz-* | sort -V | tail -1)"
release="${kernel#/boot/vmlinuz-}"
id tq260-test >/dev/null 2>&1 ||
    useradd --system --no-create-home --shell /usr/sbin/nologin tq260-test

# The initramfs: busybox, the init, the modules that reach the host's root. Made again when
# the kernel or the init changes.
vm="$root/build/vm"
mkdir -p "$vm"
initramfs="$vm/initramfs-$release-$(sha1sum "$root/scripts/lib/vm-init.sh" | cut -c1-12).cpio.gz"
if [ ! -f "$initramfs" ]; then
    tree="$(mktemp -d)"
    mkdir -p "$tree"/{bin,modules,proc,sys,dev,root}
    cp /bin/busybox "$tree/bin/busybox"
    cp "$root/scripts/lib/vm-init.sh" "$tree/init"
    chmod 755 "$tree/init"
    for module in virtio_ring virtio virtio_pci_modern_dev virtio_pci_legacy_dev virtio_pci \
        netfs fscache 9pnet 9pnet_virtio 9p; do
        find "/lib/modules/$release" -name "$module.ko" -exec cp {} "$tree/modules/" \;
    done
    (cd "$tree" && find . | cpio -o -H newc --quiet | gzip -1) >"$initramfs.part"
    mv "$initramfs.part" "$initramfs"
    rm -rf "$tree"
fi

# The shared folder: the command, its exit code, the kernel's log.
out="$(mktemp -d "$vm/run.XXXXXX")"
chmod 755 "$out"
{
    echo "cd $(printf '%q' "$PWD")"
    echo "export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"
    echo "export HOME=/tmp/vmhome TERM=dumb VM_OUT=$(printf '%q' "$out") LANG=C.UTF-8"
    # The whole machine runs in a chroot of the host's root: systemd's tools (udevadm) would
    # otherwise ignore every request.
    echo "export SYSTEMD_IGNORE_CHROOT=1"
    echo "mkdir -p /tmp/vmhome"
    printf 'timeout %s' "$limit"
    printf ' %q' "$@"
    printf '\necho $? >%q/status\n' "$out"
} >"$out/run.sh"

accel=tcg
status=0
timeout $((limit + 300)) qemu-system-x86_64 -accel "$accel" -m 2048 -smp 2 -nographic \
    -no-reboot -monitor none -kernel "$kernel" -initrd "$initramfs" \
    -append "console=ttyS0 quiet loglevel=0 panic=-1 vmout=$out" \
    -nic none -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
    -virtfs "local,path=$out,mount_tag=vmout,security_model=none" </dev/null 2>&1 |
    tr -d '\r' | sed -u '1,/vm-test: running$/d' || status=$?
if [ ! -f "$out/status" ]; then
    echo "vm-test: the machine ended without the command's exit code (qemu: $status);" \
        "its kernel log is in $out/dmesg.txt if it got that far"
    exit 125
fi
code="$(cat "$out/status")"
[ "$code" != 124 ] || echo "vm-test: timed out after $limit s"
if [ "$code" = 0 ]; then rm -rf "$out"; else echo "vm-test: what the command left is in $out"; fi
exit "$code"
