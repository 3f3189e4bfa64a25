#!/bin/sh
# MIDI on a real kernel. The build machine has no sound hardware and no sequencer;
# Debian 12's own kernel has both. This boots it in qemu's emulator with an initramfs
# that mounts the build machine's root read-only over 9p and runs checks.sh there in a
# chroot: the machine's own libraries and build, on a kernel with the ALSA sequencer,
# virtual MIDI ports and a loopback sound card. Then it checks what was recorded; the
# benchmark's figure is among the lines the checks print.
#
#   tests/kernel/run.sh BUILD        BUILD: a build folder with padbox and the tests
#
# The kernel package is fetched once with apt-get download and kept in BUILD/kernel.
set -eu
checks=$(cd "$(dirname "$0")" && pwd)/checks.sh
build=$(cd "$1" && pwd)
work=$build/kernel
out=$work/out

# The modules the initramfs loads to reach the host, then the sound modules checks.sh loads.
reach="virtio_ring virtio virtio_pci_modern_dev virtio_pci_legacy_dev virtio_pci netfs fscache
9pnet 9pnet_virtio 9p"
sound="soundcore snd snd-timer snd-seq-device snd-seq snd-seq-dummy snd-rawmidi
snd-seq-midi-event snd-seq-virmidi snd-virmidi snd-pcm snd-aloop"

# The kernel: the package linux-image-amd64 stands for, unpacked, not installed.
kernelPackage() {
    apt-cache depends linux-image-amd64 2>/dev/null |
        sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*\)$/\1/p' | head -n 1
}
package=$(kernelPackage)
if [ -z "$package" ]; then
    apt-get update -q >/dev/null
    package=$(kernelPackage)
fi
root=$work/$package
if [ ! -d "$root/boot" ]; then
    mkdir -p "$work/debs"
    if ! ls "$work/debs/${package}_"*.deb >/dev/null 2>&1; then
        (cd "$work/debs" && apt-get download -q -o APT::Sandbox::User=root "$package")
    fi
    rm -rf "$root.partial"
    dpkg-deb -x "$work/debs/${package}_"*.deb "$root.partial"
    mv "$root.partial" "$root"
fi
version=$(ls "$root/lib/modules")
rm -rf "$work/modules" "$work/initramfs" "$out"
mkdir -p "$work/modules" "$work/initramfs/bin" "$work/initramfs/modules" "$out"
for module in $reach $sound; do
    file=$(find "$root/lib/modules/$version/kernel" -name "$module.ko")
    cp "$file" "$work/modules/"
done

# The initramfs: busybox, its init, and the modules it loads.
cp /bin/busybox "$work/initramfs/bin/"
cp "$(dirname "$checks")/init" "$work/initramfs/init"
chmod +x "$work/initramfs/init"
for module in $reach; do
    cp "$work/modules/$module.ko" "$work/initramfs/modules/"
done
mkdir -p "$work/initramfs/proc" "$work/initramfs/sys" "$work/initramfs/dev"
(cd "$work/initramfs" && find . | busybox cpio -o -H newc 2>/dev/null) >"$work/initramfs.cpio"

# qemu's emulator: nested KVM, where a machine offers /dev/kvm at all, may hang the
# guest or stop qemu. PADBOX_KERNEL_ACCEL=kvm tries it, falling back on the emulator.
accel="-accel tcg"
if [ "${PADBOX_KERNEL_ACCEL:-}" = kvm ]; then
    accel="-accel kvm -accel tcg"
fi
echo "Booting $package under qemu ($accel)"
started=$(date +%s)
# shellcheck disable=SC2086
timeout 600 qemu-system-x86_64 $accel -m 1024 -smp 2 -nodefaults -no-reboot \
    -display none -serial stdio -monitor none \
    -kernel "$root/boot/vmlinuz-$version" -initrd "$work/initramfs.cpio" \
    -append "console=ttyS0 quiet panic=-1 padbox.checks=$checks padbox.build=$build" \
    -virtfs local,path=/,mount_tag=host,security_model=none,readonly=on,multidevs=remap \
    -virtfs local,path="$out",mount_tag=out,security_model=none,multidevs=remap \
    </dev/null | tee "$work/console.log"
echo "Boot to power-off: $(($(date +%s) - started)) s"

status=$(cat "$out/status" 2>/dev/null || echo "none: the kernel did not finish the checks")
echo "Checks inside the kernel that failed: $status"
heard=0
"$build/tests/kernel/kernelcheck" heard "$out/heard.raw" || heard=$?
[ "$status" = 0 ] && [ "$heard" = 0 ]
