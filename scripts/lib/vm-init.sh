#!/bin/busybox sh
# The first process of the test machine: mounts this machine's own root (shared read-only
# by QEMU over 9p) with private /tmp and /run, runs the command scripts/vm-test.sh left in
# the shared folder, keeps its exit code there, and powers off.
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for module in virtio_ring virtio virtio_pci_modern_dev virtio_pci_legacy_dev virtio_pci \
    netfs fscache 9pnet 9pnet_virtio 9p; do
    [ -e "/modules/$module.ko" ] && insmod "/modules/$module.ko"
done
out="$(sed 's/.*vmout=\([^ ]*\).*/\1/' /proc/cmdline)"
options=trans=virtio,version=9p2000.L,msize=512000
mkdir -p /root
if ! mount -t 9p -o "$options,ro,cache=loose" hostroot /root; then
    echo "vm-test: the host's root could not be mounted"
    poweroff -f
fi
mount -t tmpfs tmpfs /root/tmp
mount -t tmpfs tmpfs /root/run
mount -t proc proc /root/proc
mount -t sysfs sys /root/sys
mount -t devtmpfs dev /root/dev
mkdir -p /root/dev/pts /root/dev/shm
ln -s /proc/self/fd /root/dev/fd
mount -t devpts devpts /root/dev/pts
mount -t tmpfs tmpfs /root/dev/shm
mount -t 9p -o "$options" vmout "/root$out"
echo "vm-test: running"
chroot /root /bin/sh "$out/run.sh" </dev/console >/dev/console 2>&1
dmesg >"/root$out/dmesg.txt"
sync
umount "/root$out"
poweroff -f
