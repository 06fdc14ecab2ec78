"""SMTP server for the mail tests: accepts every message on 127.0.0.1:PORT and writes each one,
parsed, as NNNN.json into FOLDER. Prints "ready" once listening; stops when stdin closes."""
import base64
import email
import email.policy
import json
import os
import sys

from aiosmtpd.controller import Controller


class Sink:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        msg = email.message_from_bytes(envelope.original_content or envelope.content,
                                       policy=email.policy.default)
        body = ""
        attachments = []
        for part in msg.walk():
            if part.is_multipart():
                continue
            if part.get_filename():
                attachments.append({"filename": part.get_filename(),
                                    "type": part.get_content_type(),
                                    "data": base64.b64encode(part.get_payload(decode=True)).decode()})
            elif part.get_content_type() == "text/plain":
                body = part.get_payload(decode=True).decode("utf-8")
        self.count += 1
        record = {"from": envelope.mail_from, "rcpt": envelope.rcpt_tos,
                  "subject": str(msg["subject"]), "to": str(msg["to"]),
                  "body": body, "attachments": attachments}
        path = os.path.join(self.folder, "%04d.json" % self.count)
        with open(path + ".part", "w") as f:
            json.dump(record, f)
        os.rename(path + ".part", path)
        return "250 Message accepted"


def main():
    port, folder = int(sys.argv[1]), sys.argv[2]
    controller = Controller(Sink(folder), hostname="127.0.0.1", port=port)
    controller.start()
    print("ready", flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
