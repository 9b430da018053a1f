// Runs the KWin script as KWin 5 runs it, its callDBus made with dbus-send, then activates a
// window of each class named on the command line, in turn.
// Usage: node kwin_harness.js main.js CLASS...
const { execFileSync } = require("child_process");
const fs = require("fs");
const vm = require("vm");

const [script, ...classes] = process.argv.slice(2);
const activated = [];
const context = {
    workspace: { clientActivated: { connect: (listener) => activated.push(listener) } },
    callDBus: (service, path, iface, method, ...args) => execFileSync("dbus-send",
        ["--session", "--print-reply", `--dest=${service}`, path, `${iface}.${method}`,
         ...args.map((arg) => `string:${arg}`)], { stdio: "ignore" }),
};
vm.runInNewContext(fs.readFileSync(script, "utf8"), context);
for (const resourceClass of classes) activated.forEach((listener) => listener({ resourceClass }));
